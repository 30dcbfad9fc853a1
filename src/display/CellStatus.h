#pragma once
// Classification of every cell (NR, OK, DC, UV, OV, MI, MD) and its painting
// in the stack overview and the selected board's cell symbols.

#include "app/Monitor.h"

namespace kestrav::display {

using app::Monitor;

void SET_MCI_DCC_DISPLAY(Monitor& m);
void SET_CELLstatus(Monitor& m);
void CLEAR_CELLstatus(Monitor& m);
void DISPLAY_CELLstatus(Monitor& m);

}  // namespace kestrav::display
