#include "history/Envelope.h"

#include <gtest/gtest.h>

#include <algorithm>

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

}  // namespace
}  // namespace kestrav::history
