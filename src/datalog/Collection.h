#pragma once
// Recording one sample of every board into the sample ring, and the
// counters and stamps of the datalog in progress.

#include <string>

#include "context/Monitor.h"

namespace kestrav::datalog {

// Records the current readings of every board of the stack at DATApoint
// and moves DATApoint on. A point outside the store records nothing.
void COLLECT_DATA_xls(context::Monitor& m);
// Samples collected so far, the time stamps of this pass, the VIEW tool tip.
void REPORT_DLOG_current(context::Monitor& m);
void UPDATE_VIEW_ToolTip(context::Monitor& m);

// A moment in local time as the datalog writes it:
// "hh:mm:ss AM/PM @ mm-dd-yyyy" ("02:05:09 PM @ 12-07-2026").
std::string displayStamp(context::Clock& clock);
// The same moment for file names: "mm-dd-yyyy_hh_mm_ss AM/PM"
// ("12-07-2026_02_05_09 PM").
std::string fileStamp(context::Clock& clock);

}  // namespace kestrav::datalog
