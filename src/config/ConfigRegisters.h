#pragma once
// Editing the selected board's configuration registers CFGR0..CFGR3 bit by
// bit, the comparator duty cycle and the 10/12-cell layout.

#include "context/Monitor.h"

namespace kestrav::config {

using context::Monitor;

void Command0_Click(Monitor& m, int index);  // 0 steps the duty cycle down, 1 up
void DISPLAY_CDC(Monitor& m);
void Check0_Click(Monitor& m, int index);
void Check1_Click(Monitor& m, int index);
void Check2_Click(Monitor& m, int index);
void Check3_Click(Monitor& m, int index);
void DISPLAY_HWset(Monitor& m);
void UPDATE_Check0(Monitor& m);
void UPDATE_Check1(Monitor& m);
void UPDATE_Check2(Monitor& m);
void UPDATE_Check3(Monitor& m);
void CELL10_mode(Monitor& m);
void CELL12_mode(Monitor& m);
// Shows CFGRset[0..5] of the selected board in Text4, grey until written.
void REFRESH_CFGR_FRAME4(Monitor& m);
void Option1_Click(Monitor& m, int index);  // 0 thresholds per board, 1 global

}  // namespace kestrav::config
