#pragma once
// RDCV: reading the twelve cell voltages of one board.

#include "app/Monitor.h"

namespace kestrav::commands {

void RDCV_ADDRESSABLE_PEC(app::Monitor& m);

}  // namespace kestrav::commands
