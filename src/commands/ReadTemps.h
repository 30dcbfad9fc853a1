#pragma once
// RDTMP: reading the two external and the internal temperature of one board.

#include "context/Monitor.h"

namespace kestrav::commands {

void RDTMP_ADDRESSABLE_PEC(context::Monitor& m);

}  // namespace kestrav::commands
