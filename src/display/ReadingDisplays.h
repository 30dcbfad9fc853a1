#pragma once
// Copying one board's readings from the board stack into the window: cell
// voltages, flags, temperatures, configuration read back, the PEC result.

#include "context/Monitor.h"

namespace kestrav::display {

using context::Monitor;

void Single_12CELL_Display(Monitor& m);
void UPDATE_RDFLG_Display(Monitor& m);
void UPDATE_RDTMP_Display(Monitor& m);
void DISPLAY_RDCFG(Monitor& m);
void UPDATE_PEC_Display(Monitor& m);
void CLEAR_PEC_DISPLAYS(Monitor& m);

}  // namespace kestrav::display
