#pragma once
// Writing the sample ring to a spreadsheet workbook, and opening workbooks
// with the desktop.

#include "app/Monitor.h"

namespace kestrav::datalog {

void SAVE_2_xls(app::Monitor& m);             // to the set-up's workbook
void SAVE_Last_DATAlog_xls(app::Monitor& m);  // to a time-stamped last-datalog workbook
void VIEW_xls(app::Monitor& m);
void mnuViewLastDatalog_Click(app::Monitor& m);

}  // namespace kestrav::datalog
