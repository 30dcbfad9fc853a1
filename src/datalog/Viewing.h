#pragma once
// Opening exported workbooks with the desktop's application for them.

#include "app/Monitor.h"

namespace kestrav::datalog {

void VIEW_xls(app::Monitor& m);
void mnuViewLastDatalog_Click(app::Monitor& m);
void VIEW_Last_DATAlog_txt(app::Monitor& m);

}  // namespace kestrav::datalog
