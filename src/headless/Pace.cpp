#include "headless/Pace.h"

#include <algorithm>


namespace kestrav::headless {

namespace {
constexpr int kCollectStep = 3;  // the step of a datalog pass that records the sample
}  // namespace

WindowPace::WindowPace(const context::Monitor& m)
    : interval_(std::chrono::milliseconds(std::max(1, m.ui.Timer1.interval()))) {}

bool WindowPace::step(Session& s) {
  const context::Monitor& m = s.monitor();
  const bool sample =
      m.stack.OnOff == 1 && m.datalog.DATACOLLECTflag == 1 && m.stack.MEASUREflag == kCollectStep;
  s.timerTick();
  return sample;
}

bool FastPace::step(Session& s) {
  const measure::FastPassResult r = s.fastPass(options_);
  if (r.end == measure::FastPassEnd::Done) ++passes_;
  return r.sampled;
}

void FastPace::addFigures(ProgressFigures& f, Clock::duration elapsed) const {
  const double seconds = std::chrono::duration<double>(elapsed).count();
  f.passesPerSecond = seconds > 0.0 ? static_cast<double>(passes_) / seconds : 0.0;
}

std::unique_ptr<CollectionPace> makePace(const LogOptions& o, const context::Monitor& m) {
  if (o.pace == LogPace::Fast)
    return std::make_unique<FastPace>(measure::FastPassOptions{.settle = std::chrono::milliseconds(o.settleMs)});
  return std::make_unique<WindowPace>(m);
}

}  // namespace kestrav::headless
