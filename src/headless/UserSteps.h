#pragma once
// What a user does in the window to log a stack, done through the window
// model so that the same handlers run: the stack size, the thresholds, the
// datalog set-up, the restart after a give-up and the VIEW export.

#include <string>

#include "context/Monitor.h"
#include "headless/HeadlessDesktop.h"

namespace kestrav::headless {

// Chooses "N" in Combo1.
void chooseBoards(context::Monitor& m, int boards);

// Global mode, then each threshold typed into its box and applied by Enter
// (VOV first: VUV must stay below the VOV already stored), then WRITE CONFIG
// as a broadcast, so that every chip of the stack gets them. False, with
// nothing written, when the boxes did not take both values.
bool writeThresholds(context::Monitor& m, const std::string& vuv, const std::string& vov);

// Datalog > Create New Setup, with the desktop answering for `workbook` and
// an interval of `seconds`. True when collection runs afterwards.
bool createSetup(context::Monitor& m, HeadlessDesktop& desktop, const std::string& workbook,
                 const std::string& seconds);

// START D-LOG after a read gave up and stopped the cycle.
void restartCollection(context::Monitor& m);

// The VIEW button's export of the ring to the set-up's workbook (the
// headless desktop opens nothing). Runs also once the program has ended.
void exportRing(context::Monitor& m);

}  // namespace kestrav::headless
