#pragma once
// The wall-clock times of a headless collection: when it ends, and the
// elapsed and remaining time its progress line shows.

#include <chrono>

#include "headless/Progress.h"

namespace kestrav::headless {

using SteadyClock = std::chrono::steady_clock;

// `start` + `seconds`; the clock's last moment when the sum would lie
// beyond what the clock can hold, so that no T makes it wrap into the past.
SteadyClock::time_point collectionEnd(SteadyClock::time_point start, double seconds);

// The elapsed time rounded down and the remaining time rounded up, so that
// "0:00:00 left" shows only once nothing is left.
void collectionTimes(ProgressFigures& f, SteadyClock::time_point start, SteadyClock::time_point end,
                     SteadyClock::time_point now);

}  // namespace kestrav::headless
