#pragma once
// A whole headless datalog: start-up and identification, the stack size
// and thresholds, the set-up, collection for the given wall-clock time with
// Timer1 ticking or fast passes (Pace.h), and the workbook at the end, on a
// lost bridge and on a stop signal.

#include "headless/Console.h"
#include "headless/LogCommandLine.h"
#include "headless/Session.h"
#include "headless/StopSignals.h"

namespace kestrav::headless {

constexpr int kExitDone = 0;
constexpr int kExitFailed = 1;  // refused or lost bridge, a read that gave up, a set-up or save that failed
constexpr int kExitUsage = 2;   // bad arguments, or files that cannot be created where they are to go

// The interval typed at the set-up's prompt: T itself, or the longest
// interval the ring holds (32767 samples) when T is longer or the pace is fast.
std::string intervalAnswer(const LogOptions& o);

// The thresholds for every chip of the stack: global mode, both boxes
// typed, then WRITE CONFIG as a broadcast (an addressed write would reach
// the selected board only). The reason, with nothing written, when the
// boxes did not take both values.
Failure writeThresholds(Session& s, const std::string& vuv, const std::string& vov);

// Runs on a session not yet started: first proves the files can be
// written, then asks the bridge. Returns the exit status; a stop signal
// ends the process from inside, after the workbook was saved.
int runLog(Session& s, const LogOptions& o, Console& console, StopSignals& signals);

}  // namespace kestrav::headless
