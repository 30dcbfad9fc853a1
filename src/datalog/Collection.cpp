#include "datalog/Collection.h"

namespace kestrav::datalog {

// Sample collection is not built yet.
void COLLECT_DATA_xls(app::Monitor&) {}
void REPORT_DLOG_current(app::Monitor&) {}

}  // namespace kestrav::datalog
