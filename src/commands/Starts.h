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

}  // namespace kestrav::commands
