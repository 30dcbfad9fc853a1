#pragma once
// The one handler of the fourteen command buttons, dispatched by index.

#include "context/Monitor.h"

namespace kestrav::measure {

// Index 0..13; any other index does nothing.
void Command1_click(context::Monitor& m, int index);

}  // namespace kestrav::measure
