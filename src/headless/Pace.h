#pragma once
// How a headless collection moves the stack on: Timer1's ticks, as the
// window paces the cycle (one step per tick, the identification on every
// tick), or fast passes of the whole stack back to back.

#include <chrono>
#include <memory>

#include "context/Monitor.h"
#include "headless/LogCommandLine.h"
#include "headless/Progress.h"
#include "headless/Session.h"
#include "measure/FastPass.h"

namespace kestrav::headless {

class CollectionPace {
 public:
  using Clock = std::chrono::steady_clock;
  virtual ~CollectionPace() = default;
  // From the start of one step to the start of the next; a step that ran
  // longer is followed at once.
  virtual Clock::duration interval() const = 0;
  // One step; true when it recorded a datalog sample.
  virtual bool step(Session& s) = 0;
  // What the pace adds to the progress line, `elapsed` into the collection.
  virtual void addFigures(ProgressFigures&, Clock::duration /*elapsed*/) const {}
};

// One Timer1 tick per interval of the timer.
class WindowPace : public CollectionPace {
 public:
  explicit WindowPace(const context::Monitor& m);
  Clock::duration interval() const override { return interval_; }
  bool step(Session& s) override;

 private:
  Clock::duration interval_;
};

// Fast passes back to back (measure::fastPass).
class FastPace : public CollectionPace {
 public:
  explicit FastPace(measure::FastPassOptions options) : options_(options) {}
  Clock::duration interval() const override { return Clock::duration::zero(); }
  bool step(Session& s) override;
  void addFigures(ProgressFigures& f, Clock::duration elapsed) const override;

 private:
  measure::FastPassOptions options_;
  long passes_ = 0;  // completed, every board read
};

std::unique_ptr<CollectionPace> makePace(const LogOptions& o, const context::Monitor& m);

}  // namespace kestrav::headless
