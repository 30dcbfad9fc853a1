#pragma once
// The one handler of the fourteen command buttons, dispatched by index.

#include "app/Monitor.h"

namespace kestrav::measure {

// Index 0..13; any other index does nothing.
void Command1_click(app::Monitor& m, int index);

}  // namespace kestrav::measure
