#pragma once
// RDFLG: reading the three flag registers of one board.

#include "context/Monitor.h"

namespace kestrav::commands {

void RDFLG_ADDRESSABLE_PEC(context::Monitor& m);

}  // namespace kestrav::commands
