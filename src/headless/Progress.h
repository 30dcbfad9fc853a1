#pragma once
// The progress of a headless datalog on the console: on a terminal a live
// line after every tick, elsewhere a plain line every ten seconds.

#include <chrono>
#include <optional>
#include <string>

#include "context/Monitor.h"
#include "headless/Console.h"

namespace kestrav::headless {

struct ProgressFigures {
  long samples = 0;             // recorded since collection began (the journal's rows)
  std::chrono::seconds elapsed{0}, remaining{0};
  std::optional<float> lowest, highest;  // cell volts of the stack, once any cell was read
  int giveUps = 0;
  std::optional<double> passesPerSecond;  // fast pace: whole-stack passes per second so far
};

// The lowest and highest cell voltage read of boards 0..CARDSTACK.
void stackCellRange(const context::Monitor& m, ProgressFigures& f);

// "120 samples, 0:01:40 elapsed, 0:58:20 left, cells 3.412-3.698 V, 0 give-ups"
// and, at the fast pace, ", 5.2 passes/s"
std::string progressText(const ProgressFigures& f);

class ProgressReport {
 public:
  // `prefix` heads the plain lines ("kestrav-log: "), like every other line
  // the program writes; the live line stands alone.
  ProgressReport(Console& console, std::string prefix) : console_(console), prefix_(std::move(prefix)) {}
  // Called after every tick.
  void update(const ProgressFigures& f);

 private:
  static constexpr std::chrono::seconds kPlainEvery{10};
  Console& console_;
  std::string prefix_;
  std::chrono::seconds nextPlain_{kPlainEvery};
};

}  // namespace kestrav::headless
