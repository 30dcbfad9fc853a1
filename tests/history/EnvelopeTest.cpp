#include "history/Envelope.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>

namespace kestrav::history {
namespace {

std::vector<CellSample> ramp(int n) {
  std::vector<CellSample> out;
  const TimePoint start{std::chrono::seconds(1796652309)};
  for (int i = 0; i < n; ++i) {
    CellSample s;
    s.time = start + std::chrono::milliseconds(300) * i;
    s.volts.fill(3.3f);
    out.push_back(s);
  }
  return out;
}

TEST(Envelope, ShortSeriesPassUnchanged) {
  const auto s = ramp(10);
  const auto e = envelope(s, 4, 100);
  ASSERT_EQ(e.size(), 10u);
  EXPECT_FLOAT_EQ(e[3].volts, 3.3f);
  EXPECT_TRUE(envelope({}, 0, 100).empty());
  EXPECT_TRUE(envelope(s, 12, 100).empty());
  EXPECT_TRUE(envelope(s, -1, 100).empty());
}

TEST(Envelope, LongSeriesStayWithinTheBoundKeepingASingleDipAndSpike) {
  auto s = ramp(28800);
  s[12345].volts[2] = 2.1f;  // one dip of cell 3
  s[20000].volts[2] = 4.4f;  // one spike
  const auto e = envelope(s, 2, 2000);
  EXPECT_LE(e.size(), 2000u);
  EXPECT_GE(e.size(), 1000u);
  const auto [lo, hi] = std::minmax_element(e.begin(), e.end(), [](auto a, auto b) { return a.volts < b.volts; });
  EXPECT_FLOAT_EQ(lo->volts, 2.1f);
  EXPECT_FLOAT_EQ(hi->volts, 4.4f);
  EXPECT_TRUE(std::is_sorted(e.begin(), e.end(), [](auto a, auto b) { return a.ms < b.ms; }));
}

// Varying values (ties included) 300 ms apart.
std::vector<CellSample> varying(int n) {
  auto s = ramp(n);
  for (int i = 0; i < n; ++i)
    s[static_cast<std::size_t>(i)].volts[5] = 3.0f + static_cast<float>((i * 7919) % 97) / 100.0f;
  return s;
}

// For every bucket of the span (maxPoints / 2 equal slices of time), the
// thinned series holds a point of the bucket at its lowest value and one at
// its highest; never more points than the limit, all in time order, each
// one a sample.
void expectExtremesOfEveryBucket(const std::vector<CellSample>& s, std::size_t maxPoints) {
  const auto e = envelope(s, 5, maxPoints);
  SCOPED_TRACE("length " + std::to_string(s.size()) + ", limit " + std::to_string(maxPoints));
  EXPECT_LE(e.size(), maxPoints);
  EXPECT_TRUE(std::is_sorted(e.begin(), e.end(), [](auto a, auto b) { return a.ms < b.ms; }));
  auto msOf = [](const CellSample& c) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(c.time.time_since_epoch()).count();
  };
  const std::int64_t first = msOf(s.front()), width = msOf(s.back()) - first + 1;
  const std::int64_t buckets = static_cast<std::int64_t>(maxPoints / 2);
  auto bucketOf = [&](std::int64_t ms) { return (ms - first) * buckets / width; };
  std::map<std::int64_t, std::pair<float, float>> extremes;
  std::map<std::int64_t, float> sampleAt;
  for (const CellSample& c : s) {
    const float v = c.volts[5];
    sampleAt[msOf(c)] = v;
    auto [it, fresh] = extremes.try_emplace(bucketOf(msOf(c)), v, v);
    it->second = {std::min(it->second.first, v), std::max(it->second.second, v)};
  }
  for (const SeriesPoint& p : e) {
    ASSERT_TRUE(sampleAt.count(p.ms)) << p.ms;
    EXPECT_FLOAT_EQ(sampleAt[p.ms], p.volts);
  }
  for (const auto& [bucket, range] : extremes) {
    auto holds = [&](float v) {
      return std::any_of(e.begin(), e.end(),
                         [&](const SeriesPoint& p) { return bucketOf(p.ms) == bucket && p.volts == v; });
    };
    EXPECT_TRUE(holds(range.first)) << "lowest of bucket " << bucket;
    EXPECT_TRUE(holds(range.second)) << "highest of bucket " << bucket;
  }
}

TEST(Envelope, EveryBucketKeepsItsExtremesWithinTheLimitAroundMultiplesOfTheBucket) {
  for (const std::size_t maxPoints : std::vector<std::size_t>{2, 3, 20, 21, 200}) {
    const int buckets = static_cast<int>(maxPoints / 2);
    for (const int perBucket : {1, 2, 3, 7}) {
      for (const int delta : {-1, 0, 1}) {
        const int n = buckets * perBucket + delta;
        if (n < 1) continue;
        expectExtremesOfEveryBucket(varying(n), maxPoints);
      }
    }
  }
  // Not thinned at or under the limit: every sample.
  EXPECT_EQ(envelope(varying(20), 5, 20).size(), 20u);
}

}  // namespace
}  // namespace kestrav::history
