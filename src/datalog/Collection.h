#pragma once
// Recording one sample of every board into the sample ring, and the
// counters and stamps of the datalog in progress.

#include "app/Monitor.h"

namespace kestrav::datalog {

void COLLECT_DATA_xls(app::Monitor& m);
void REPORT_DLOG_current(app::Monitor& m);

}  // namespace kestrav::datalog
