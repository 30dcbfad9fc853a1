#include "datalog/Viewing.h"

namespace kestrav::datalog {

// Viewing is not built yet.
void VIEW_xls(app::Monitor&) {}
void mnuViewLastDatalog_Click(app::Monitor&) {}
void VIEW_Last_DATAlog_txt(app::Monitor&) {}

}  // namespace kestrav::datalog
