#include "history/HistoryStore.h"

#include <gtest/gtest.h>

#include <chrono>

namespace kestrav::history {
namespace {

using namespace std::chrono_literals;

const TimePoint kStart{std::chrono::seconds(1796652309)};

std::array<std::uint16_t, 12> codes(std::uint16_t base, std::uint16_t step = 0) {
  std::array<std::uint16_t, 12> c{};
  for (std::size_t n = 0; n < 12; ++n) c[n] = static_cast<std::uint16_t>(base + step * n);
  return c;
}

TEST(HistoryStore, SeriesOfOneBoardOverASpanOldestFirst) {
  HistoryStore h;
  for (int i = 0; i < 5; ++i) {
    h.cellsRead(kStart + i * 1s, 0, codes(2000 + i), {});
    h.cellsRead(kStart + i * 1s, 3, codes(2500), {});
  }
  const auto span = h.cells(0, kStart + 1s, kStart + 3s);
  ASSERT_EQ(span.size(), 3u);  // both ends included
  EXPECT_EQ(span.front().time, kStart + 1s);
  EXPECT_EQ(span.back().time, kStart + 3s);
  EXPECT_FLOAT_EQ(span[0].volts[0], voltsOfCode(2001));
  EXPECT_NEAR(voltsOfCode(4095), 6.144f, 1e-6);
  EXPECT_TRUE(h.cells(5, kStart, kStart + 10s).empty());
  EXPECT_TRUE(h.cells(0, kStart + 10s, kStart + 20s).empty());
}

TEST(HistoryStore, SummaryNamesLowestAndHighestCellAndTheSpanFigures) {
  HistoryStore h;
  auto c = codes(2400);
  c[4] = 2300;   // cell 5 lowest
  c[10] = 2460;  // cell 11 highest
  h.cellsRead(kStart, 1, codes(2400), {});
  h.cellsRead(kStart + 1s, 1, c, {});
  const auto all = h.summaries(kStart, kStart + 1s);
  ASSERT_EQ(all.size(), 10u);
  const BoardSummary& s = all[1];
  EXPECT_TRUE(s.hasReading);
  EXPECT_EQ(s.lowestCell, 5);
  EXPECT_EQ(s.highestCell, 11);
  EXPECT_FLOAT_EQ(s.lowest, voltsOfCode(2300));
  EXPECT_NEAR(s.spreadMv(), (voltsOfCode(2460) - voltsOfCode(2300)) * 1000, 1e-3);
  EXPECT_NEAR(s.total, 10 * voltsOfCode(2400) + voltsOfCode(2300) + voltsOfCode(2460), 1e-3);
  EXPECT_NEAR(s.mean, s.total / 12, 1e-5);
  EXPECT_EQ(s.count, 2u);
  EXPECT_FLOAT_EQ(s.spanMin, voltsOfCode(2300));
  EXPECT_FLOAT_EQ(s.spanMax, voltsOfCode(2460));
  EXPECT_NEAR(s.spanMaxSpreadMv, s.spreadMv(), 1e-3);
  EXPECT_FALSE(all[0].hasReading);
  EXPECT_EQ(all[0].count, 0u);
  // Only the first reading in the span: no spread at all.
  EXPECT_FLOAT_EQ(h.summaries(kStart, kStart)[1].spanMaxSpreadMv, 0.0f);
}

TEST(HistoryStore, TenCellModeLeavesCellsElevenAndTwelveOut) {
  HistoryStore h;
  auto c = codes(2400);
  c[10] = 0;  // not measured: must not count as the lowest cell
  c[11] = 0;
  context::BoardSettings ten;
  ten.tenCells = true;
  h.cellsRead(kStart, 0, c, ten);
  const BoardSummary s = h.summaries(kStart, kStart)[0];
  EXPECT_FLOAT_EQ(s.lowest, voltsOfCode(2400));
  EXPECT_NEAR(s.total, 10 * voltsOfCode(2400), 1e-3);
  EXPECT_FLOAT_EQ(s.spanMin, voltsOfCode(2400));
  EXPECT_EQ(h.cells(0, kStart, kStart)[0].cells(), 10);
  EXPECT_TRUE(h.settings(0)->tenCells);
}

TEST(HistoryStore, StackTotalAddsTheLatestReadingOfEveryBoard) {
  HistoryStore h;
  EXPECT_FALSE(h.stackTotal().has_value());
  h.cellsRead(kStart, 0, codes(1000), {});
  h.cellsRead(kStart + 1s, 0, codes(2000), {});  // replaces board 1's share
  h.cellsRead(kStart + 1s, 2, codes(3000), {});
  EXPECT_NEAR(*h.stackTotal(), 12 * (voltsOfCode(2000) + voltsOfCode(3000)), 1e-3);
}

TEST(HistoryStore, OldestPointsGoFirstAndTheBoundHolds) {
  HistoryStore small(100);
  for (int i = 0; i < 250; ++i) small.cellsRead(kStart + i * 1s, 0, codes(static_cast<std::uint16_t>(i)), {});
  EXPECT_EQ(small.cellPointCount(), 100u);
  EXPECT_EQ(*small.oldest(), kStart + 150s);
  const auto all = small.cells(0, kStart, kStart + 1000s);
  ASSERT_EQ(all.size(), 100u);
  EXPECT_EQ(all.front().time, kStart + 150s);
  EXPECT_EQ(all.back().time, kStart + 249s);

  // The real bound: under 32 MiB even when full, and more than a day of a
  // ten-board cycle (each kind read once per board every 3 steps of 100 ms).
  HistoryStore real;
  EXPECT_LE(real.bytesAtCapacity(), kMaxHistoryBytes);
  const std::size_t readsPerDay = 24 * 3600 * 10 / 3;
  EXPECT_GE(kDefaultPointsPerKind, readsPerDay);
  EXPECT_LT(real.bytesReserved(), 1024u * 1024u);  // nothing held before it is needed
}

TEST(HistoryStore, StatusesKeepThePresentOneAndIgnoreBoardsOutOfRange) {
  HistoryStore h;
  std::array<int, 24> st{};
  st[3] = 3;   // board 1 cell 4 UV
  st[12] = 4;  // board 2 cell 1 OV
  h.statusesShown(kStart, 2, st);
  EXPECT_EQ(h.statuses(0)[3], 3);
  EXPECT_EQ(h.statuses(1)[0], 4);
  const auto before = h.revision();
  h.statusesShown(kStart + 1s, 2, st);  // painted again unchanged
  EXPECT_EQ(h.revision(), before);
  h.statusesShown(kStart, 5, st);  // fewer statuses than boards claimed: no overrun
  h.cellsRead(kStart, 10, codes(1), {});
  h.cellsRead(kStart, -1, codes(1), {});
  EXPECT_EQ(h.cellPointCount(), 0u);
  EXPECT_EQ(h.statuses(12)[0], 0);
}

TEST(HistoryStore, TemperaturesAndFlagsPerBoard) {
  HistoryStore h;
  h.temperaturesRead(kStart, 4, {564, 1377, 2424});
  h.flagsRead(kStart, 4, {0x01, 0x80, 0x0A});
  const auto t = h.temperatures(4, kStart, kStart);
  ASSERT_EQ(t.size(), 1u);
  EXPECT_NEAR(t[0].volts[2], 3.637f, 5e-4);
  const auto f = h.flags(4, kStart, kStart);
  ASSERT_EQ(f.size(), 1u);
  EXPECT_EQ(f[0].flags[1], 0x80);
  EXPECT_TRUE(h.flags(3, kStart, kStart).empty());
}

}  // namespace
}  // namespace kestrav::history
