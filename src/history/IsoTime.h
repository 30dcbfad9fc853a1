#pragma once
// Time stamps as people and spreadsheets read them: ISO 8601 local time with
// milliseconds and the UTC offset, "2026-12-09T14:03:27.412+01:00".

#include <chrono>
#include <string>

namespace kestrav::history {

std::string isoLocalTime(std::chrono::system_clock::time_point t);

}  // namespace kestrav::history
