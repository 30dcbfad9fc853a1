#pragma once
// Helpers of the datalog tests: local time pinned to UTC so the fixed
// clock's moment (2026-12-07 14:05:09 UTC) reads the same everywhere, a
// scratch folder for workbooks, and the answers of a whole set-up.

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>

#include "context/Monitor.h"
#include "support/MonitorFixture.h"

namespace kestrav::test {

inline void pinLocalTimeToUtc() {
  setenv("TZ", "UTC", 1);
  tzset();
}

// A fresh folder for the workbooks a test may write.
inline std::string scratchFolder(const std::string& name) {
  const std::filesystem::path p = std::filesystem::temp_directory_path() / ("kestrav-datalog-" + name);
  std::filesystem::remove_all(p);
  std::filesystem::create_directories(p);
  return p.string();
}

// Queues the answers of a set-up that is accepted: configuration okay, the
// file, the interval, "Is this okay?" Yes, then the ready box.
inline void scriptAcceptedSetup(FakeDesktop& d, const std::string& file, const std::string& interval) {
  d.answers.push_back(context::MessageAnswer::Yes);
  d.saveAnswers.push_back(file);
  d.inputAnswers.push_back(interval);
  d.answers.push_back(context::MessageAnswer::Yes);
  d.answers.push_back(context::MessageAnswer::OK);
}

}  // namespace kestrav::test
