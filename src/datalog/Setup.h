#pragma once
// The Datalog menu, the start/pause toggle and the datalog buttons.

#include "app/Monitor.h"

namespace kestrav::datalog {

void mnuCreateNewSetup_Click(app::Monitor& m);
void mnuUsePreviousSetup_Click(app::Monitor& m);
void START_DATAlog(app::Monitor& m);
void CLEAR_DATAlog(app::Monitor& m);
void SET_collect_BUTTONS(app::Monitor& m);
void DATALOGGING_cmd(app::Monitor& m);

}  // namespace kestrav::datalog
