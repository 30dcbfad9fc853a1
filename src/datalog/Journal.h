#pragma once
// The journal of a datalog: from the start of collection every sample the
// ring records also goes at once to a CSV file beside the set-up's workbook
// (run1.xls gives run1.csv, or "run1 (2).csv" when that exists), one line
// per sample with the workbook's data-row texts after an "ISO TIME" column.
// The journal is the whole run; the ring is the window the workbook shows.
//
// A journal that cannot be written is reported once in a message box; the
// datalog goes on in memory without it.

#include <chrono>
#include <string>
#include <vector>

#include "context/Monitor.h"

namespace kestrav::datalog {

// The journal's preferred name for a workbook: ".xls" at the end becomes
// ".csv"; any other name gets ".csv" added.
std::string journalNameFor(const std::string& workbook);

// A new journal for the set-up's workbook (NewFile); its file is created at
// the first sample. Closes the one before.
void beginJournal(context::Monitor& m);

// A journal created before the datalog is set up, so that it exists from a
// run's first moment (kestrav-log): the file for `workbook` with the header
// of `boards` boards. The next set-up for that workbook takes it over; until
// then endJournal leaves it alone. False with the reason, and nothing left
// behind, when it cannot be created.
bool openJournalAhead(context::Monitor& m, const std::string& workbook, int boards, std::string* reason);

// Closes and deletes a journal opened ahead that no set-up took over: a run
// that ended before collecting leaves no header-only file behind.
void discardJournalAhead(context::Monitor& m);

// Appends the sample just recorded at `point` of the ring.
void journalSample(context::Monitor& m, int point);

// Closes the journal of the datalog (STOP, a new set-up).
void endJournal(context::Monitor& m);

// The header line and the line of one sample, as fields.
std::vector<std::string> journalHeader(int boards);
std::vector<std::string> journalLine(const context::Monitor& m, int point, long long sample, int boards,
                                     const std::string& isoTime);

// A moment as ISO 8601 local time with its UTC offset and milliseconds:
// "2026-12-07T14:05:09.250+01:00".
std::string isoLocalTime(std::chrono::system_clock::time_point t);

}  // namespace kestrav::datalog
