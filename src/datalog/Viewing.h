#pragma once
// Opening exported workbooks with the desktop's application for them.

#include "context/Monitor.h"

namespace kestrav::datalog {

void VIEW_xls(context::Monitor& m);
void mnuViewLastDatalog_Click(context::Monitor& m);
void VIEW_Last_DATAlog_txt(context::Monitor& m);

}  // namespace kestrav::datalog
