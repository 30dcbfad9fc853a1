#include "datalog/Viewing.h"

namespace kestrav::datalog {

namespace {

// Hands the workbook to the desktop's application for it. Whatever the
// desktop makes of it (a missing file, no application) passes silently.
void openWorkbook(context::Monitor& m, const std::string& path) {
  if (path.empty()) return;  // nothing has been written yet
  m.desktop.openFile(path);
}

}  // namespace

void VIEW_xls(context::Monitor& m) { openWorkbook(m, m.datalog.NewFile); }

void mnuViewLastDatalog_Click(context::Monitor& m) { VIEW_Last_DATAlog_txt(m); }

void VIEW_Last_DATAlog_txt(context::Monitor& m) { openWorkbook(m, m.datalog.LastDATAlog); }

}  // namespace kestrav::datalog
