#include "headless/CollectionTimes.h"

#include <algorithm>

namespace kestrav::headless {

SteadyClock::time_point collectionEnd(SteadyClock::time_point start, double seconds) {
  using Seconds = std::chrono::duration<double>;
  // A second short of the clock's end, so the sum in nanoseconds cannot be
  // rounded past it.
  const double room = Seconds(SteadyClock::time_point::max() - start).count() - 1.0;
  if (!(seconds < room)) return SteadyClock::time_point::max();
  if (seconds <= 0.0) return start;
  return start + std::chrono::duration_cast<SteadyClock::duration>(Seconds(seconds));
}

void collectionTimes(ProgressFigures& f, SteadyClock::time_point start, SteadyClock::time_point end,
                     SteadyClock::time_point now) {
  f.elapsed = std::chrono::floor<std::chrono::seconds>(std::max(now - start, SteadyClock::duration::zero()));
  f.remaining = std::chrono::ceil<std::chrono::seconds>(std::max(end - now, SteadyClock::duration::zero()));
}

}  // namespace kestrav::headless
