#include "datalog/Export.h"

namespace kestrav::datalog {

// The export and viewing are not built yet.
void SAVE_2_xls(app::Monitor&) {}
void SAVE_Last_DATAlog_xls(app::Monitor&) {}
void VIEW_xls(app::Monitor&) {}
void mnuViewLastDatalog_Click(app::Monitor&) {}

}  // namespace kestrav::datalog
