#include "history/Envelope.h"

#include <chrono>

namespace kestrav::history {

namespace {
std::int64_t msOf(TimePoint t) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(t.time_since_epoch()).count();
}
}  // namespace

std::vector<SeriesPoint> envelope(const std::vector<CellSample>& samples, int cell, std::size_t maxPoints) {
  std::vector<SeriesPoint> out;
  if (cell < 0 || cell >= 12 || samples.empty()) return out;
  const auto c = static_cast<std::size_t>(cell);
  if (samples.size() <= maxPoints || maxPoints < 2) {
    out.reserve(samples.size());
    for (const CellSample& s : samples) out.push_back({msOf(s.time), s.volts[c]});
    return out;
  }
  const std::size_t slices = maxPoints / 2;
  const std::int64_t first = msOf(samples.front().time);
  const std::int64_t width = msOf(samples.back().time) - first + 1;
  out.reserve(maxPoints);
  std::size_t i = 0;
  while (i < samples.size()) {
    const auto sliceOf = [&](std::size_t k) {
      const std::int64_t offset = msOf(samples[k].time) - first;
      // A clock set back puts a point before the first; it joins slice 0.
      if (offset <= 0) return std::size_t{0};
      return static_cast<std::size_t>(static_cast<long double>(offset) * slices / width);
    };
    const std::size_t slice = sliceOf(i);
    std::size_t lo = i, hi = i;
    for (++i; i < samples.size() && sliceOf(i) == slice; ++i) {
      if (samples[i].volts[c] < samples[lo].volts[c]) lo = i;
      if (samples[i].volts[c] > samples[hi].volts[c]) hi = i;
    }
    const std::size_t a = std::min(lo, hi), b = std::max(lo, hi);
    out.push_back({msOf(samples[a].time), samples[a].volts[c]});
    if (b != a) out.push_back({msOf(samples[b].time), samples[b].volts[c]});
  }
  return out;
}

}  // namespace kestrav::history
