#include "datalog/Export.h"

namespace kestrav::datalog {

// The export is not built yet.
void SAVE_2_xls(app::Monitor&) {}
void SAVE_Last_DATAlog_xls(app::Monitor&) {}

}  // namespace kestrav::datalog
