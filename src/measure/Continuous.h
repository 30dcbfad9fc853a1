#pragma once
// The continuous measurement cycle driven by Timer1, the "PEC Match Only"
// option and the clears of the reading displays.

#include "context/Monitor.h"

namespace kestrav::measure {

using context::Monitor;

// "PEC Match Only": sets AUTORESTARTflag from the box and the status line.
void Check_AUTO_Click(Monitor& m);

// Toggles the measurement cycle (button 10).
void CONTINUOUS_cmd(Monitor& m);

// One step of the measurement cycle on board BRDread.
void Measure_KESTRAV_DUT(Monitor& m);

// Display clears; none of them touches the board stack.
void CLEAR_LOCAL_CELLS(Monitor& m);
void CLEAR_LOCAL_TEMPS(Monitor& m);
void CLEAR_LOCAL_FLAGS(Monitor& m);
void CLEAR_LOCAL_READINGS(Monitor& m);

}  // namespace kestrav::measure
