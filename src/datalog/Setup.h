#pragma once
// The Datalog menu.

#include "app/Monitor.h"

namespace kestrav::datalog {

void mnuCreateNewSetup_Click(app::Monitor& m);
void mnuUsePreviousSetup_Click(app::Monitor& m);
void mnuViewLastDatalog_Click(app::Monitor& m);

}  // namespace kestrav::datalog
