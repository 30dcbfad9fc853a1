#pragma once
// Wall-clock time for time stamps, behind an interface so tests can fix it.

#include <chrono>

namespace kestrav::context {

class Clock {
 public:
  virtual ~Clock() = default;
  virtual std::chrono::system_clock::time_point now() = 0;
};

class SystemClock : public Clock {
 public:
  std::chrono::system_clock::time_point now() override { return std::chrono::system_clock::now(); }
};

}  // namespace kestrav::context
