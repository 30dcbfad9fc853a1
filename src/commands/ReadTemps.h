#pragma once
// RDTMP: reading the two external and the internal temperature of one board.

#include "app/Monitor.h"

namespace kestrav::commands {

void RDTMP_ADDRESSABLE_PEC(app::Monitor& m);

}  // namespace kestrav::commands
