#pragma once
// Classification of every cell (NR, OK, DC, UV, OV, MI, MD) and its painting
// in the stack overview and the selected board's cell symbols.

#include "context/Monitor.h"
#include "display/CellStatusCodes.h"

namespace kestrav::display {

using context::Monitor;

// Re-derives DC, MI and MD of every board of the stack from the prepared
// CFGR1..CFGR3; other cells go back to NR unless they carry a UV or OV flag.
void SET_MCI_DCC_DISPLAY(Monitor& m);
// Applies the last flag registers read: the selected board only, or every
// board of the stack while a measurement cycle runs.
void SET_CELLstatus(Monitor& m);
// Back to NR: the selected board, or the whole stack once after a cycle stopped.
void CLEAR_CELLstatus(Monitor& m);
// Paints the stack overview and the selected board's cell symbols.
void DISPLAY_CELLstatus(Monitor& m);

}  // namespace kestrav::display
