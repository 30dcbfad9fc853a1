#pragma once
// Writing the sample ring to a spreadsheet workbook (Excel 97-2003, .xls).
//
// Both routines write the same layout and differ only in the target file.
// They read the ring, its counters and stamps and change none of them
// (SAVE_Last_DATAlog_xls only sets LastDATAlog). A workbook that cannot be
// written is reported in a message box naming the file and the reason; the
// routine then returns normally so that the button's action goes on.

#include <string>

#include "context/Monitor.h"
#include "datalog/xls/Workbook.h"

namespace kestrav::datalog {

void SAVE_2_xls(context::Monitor& m);             // to the set-up's workbook, NewFile
void SAVE_Last_DATAlog_xls(context::Monitor& m);  // to a time-stamped workbook in the program's folder

// SAVE_Last_DATAlog_xls telling whether the workbook was written. The
// program's folder gives way to $XDG_DATA_HOME/kestrav-monitor/ when it is
// not writable; LastDATAlog holds the path used.
bool saveLastDatalog(context::Monitor& m);

// The workbook both routines write, with `path` in its first cell. Its
// sample rows are read from `m`'s ring as the workbook is written, so `m`
// must outlive it and its ring stay as it was.
xls::Workbook datalogWorkbook(const context::Monitor& m, const std::string& path);

}  // namespace kestrav::datalog
