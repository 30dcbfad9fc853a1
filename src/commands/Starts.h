#pragma once
// The five chip commands that carry no data and expect no reply: conversion
// starts and polls, broadcast or addressed by the selected board's choice.

#include "context/Monitor.h"

namespace kestrav::commands {

void STCVAD_BROADCAST(context::Monitor& m);   // start cell voltage conversion
void STOWAD_BROADCAST(context::Monitor& m);   // start open-wire conversion
void STTMPAD_BROADCAST(context::Monitor& m);  // start temperature conversion
void PLADC_BROADCAST(context::Monitor& m);    // poll conversion status
void PLINT_BROADCAST(context::Monitor& m);    // poll interrupt status

// The broadcast form of a start or poll, whatever the selected board's
// broadcast choice: what a pass of every board sends.
void sendBroadcastStart(context::Monitor& m, state::Broadcastable c);

}  // namespace kestrav::commands
