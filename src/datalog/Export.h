#pragma once
// Writing the sample ring to a spreadsheet workbook.

#include "app/Monitor.h"

namespace kestrav::datalog {

void SAVE_2_xls(app::Monitor& m);             // to the set-up's workbook
void SAVE_Last_DATAlog_xls(app::Monitor& m);  // to a time-stamped last-datalog workbook

}  // namespace kestrav::datalog
