#pragma once
// The moments a datalog writes: a local date and time to the second, its
// two texts, and a compact number for the sample ring.

#include <cstdint>
#include <optional>
#include <string>

#include "context/Clock.h"

namespace kestrav::datalog {

struct LocalMoment {
  int year, month, day, hour, minute, second;  // hour 0..23
};

LocalMoment localMoment(context::Clock& clock);

// "hh:mm:ss AM/PM @ mm-dd-yyyy" ("02:05:09 PM @ 12-07-2026").
std::string displayStampText(const LocalMoment& t);
// "mm-dd-yyyy_hh_mm_ss AM/PM" ("12-07-2026_02_05_09 PM").
std::string fileStampText(const LocalMoment& t);

// Seconds since 2000-01-01 00:00:00 of the same calendar, and back. Nothing
// for a moment outside 2000 .. 2135 or not of the calendar.
std::optional<std::uint32_t> momentNumber(const LocalMoment& t);
LocalMoment momentOf(std::uint32_t number);

}  // namespace kestrav::datalog
