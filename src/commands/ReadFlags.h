#pragma once
// RDFLG: reading the three flag registers of one board.

#include "app/Monitor.h"

namespace kestrav::commands {

void RDFLG_ADDRESSABLE_PEC(app::Monitor& m);

}  // namespace kestrav::commands
