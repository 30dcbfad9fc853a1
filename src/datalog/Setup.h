#pragma once
// The Datalog menu, the start/pause toggle and the datalog buttons.

#include "context/Monitor.h"

namespace kestrav::datalog {

void mnuCreateNewSetup_Click(context::Monitor& m);
void mnuUsePreviousSetup_Click(context::Monitor& m);
void START_DATAlog(context::Monitor& m);
void CLEAR_DATAlog(context::Monitor& m);
void SET_collect_BUTTONS(context::Monitor& m);
void DATALOGGING_cmd(context::Monitor& m);

}  // namespace kestrav::datalog
