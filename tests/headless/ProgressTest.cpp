// The progress line and the console it shares with the messages.

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <tuple>

#include "headless/CollectionTimes.h"
#include "headless/Console.h"
#include "headless/Progress.h"
#include "support/MonitorFixture.h"

namespace kestrav::headless {
namespace {

using std::chrono::seconds;

TEST(Progress, TextNamesSamplesTimesCellRangeAndGiveUps) {
  ProgressFigures f;
  f.samples = 120;
  f.elapsed = seconds(100);
  f.remaining = seconds(3500);
  f.lowest = 3.4121f;
  f.highest = 3.6979f;
  EXPECT_EQ(progressText(f), "120 samples, 0:01:40 elapsed, 0:58:20 left, cells 3.412-3.698 V, 0 give-ups");
  f.samples = 1;
  f.giveUps = 1;
  f.elapsed = seconds(90061);
  f.lowest.reset();
  EXPECT_EQ(progressText(f), "1 sample, 25:01:01 elapsed, 0:58:20 left, cells not read yet, 1 give-up");
  f.passesPerSecond = 5.26;  // the fast pace
  EXPECT_EQ(progressText(f), "1 sample, 25:01:01 elapsed, 0:58:20 left, cells not read yet, 1 give-up, 5.3 passes/s");
}

void readCell(context::Monitor& m, int board, int cell, float volts) {
  const int r = state::cellReading(board, cell);
  m.stack.READINGhex[r] = "0A";
  m.stack.READINGvolts[r] = volts;
}

// The range covers every board of the stack, the last one included, and
// no board beyond it.
TEST(Progress, TheCellRangeCoversEveryBoardOfTheStack) {
  test::MonitorFixture fixture;
  context::Monitor& m = fixture.build();
  ProgressFigures f;
  m.stack.CARDSTACK = 0;
  stackCellRange(m, f);
  EXPECT_NE(progressText(f).find(", cells not read yet,"), std::string::npos);
  readCell(m, 0, 1, 3.5f);
  readCell(m, 0, 12, 3.25f);
  readCell(m, 1, 5, 1.0f);  // beyond a one-board stack
  stackCellRange(m, f);
  ASSERT_TRUE(f.lowest && f.highest);
  EXPECT_FLOAT_EQ(*f.lowest, 3.25f);
  EXPECT_FLOAT_EQ(*f.highest, 3.5f);

  m.stack.CARDSTACK = 3;
  readCell(m, 3, 12, 4.125f);  // the last board's last cell
  readCell(m, 4, 1, 5.0f);     // beyond the stack
  stackCellRange(m, f);
  EXPECT_FLOAT_EQ(*f.lowest, 1.0f);
  EXPECT_FLOAT_EQ(*f.highest, 4.125f);
  m.stack.CARDSTACK = 9;
  readCell(m, 9, 1, 0.5f);
  stackCellRange(m, f);
  EXPECT_FLOAT_EQ(*f.lowest, 0.5f);
  EXPECT_FLOAT_EQ(*f.highest, 5.0f);
}

// Elapsed rounds down, remaining up: "0:00:00 left" only once nothing is.
TEST(Progress, RemainingTimeRoundsUpAndElapsedDown) {
  using std::chrono::milliseconds;
  const SteadyClock::time_point start{std::chrono::hours(5)};
  const SteadyClock::time_point end = collectionEnd(start, 10.0);
  EXPECT_EQ(end - start, seconds(10));
  ProgressFigures f;
  for (const auto& [at, elapsed, left] : std::vector<std::tuple<milliseconds, long, long>>{
           {milliseconds(0), 0, 10}, {milliseconds(1), 0, 10}, {milliseconds(999), 0, 10},
           {milliseconds(1000), 1, 9}, {milliseconds(9001), 9, 1}, {milliseconds(9999), 9, 1},
           {milliseconds(10000), 10, 0}, {milliseconds(12000), 12, 0}}) {
    collectionTimes(f, start, end, start + at);
    EXPECT_EQ(f.elapsed.count(), elapsed) << at.count();
    EXPECT_EQ(f.remaining.count(), left) << at.count();
  }
  collectionTimes(f, start, end, start + std::chrono::nanoseconds(9999999999));
  EXPECT_EQ(progressText(f).substr(0, 33), "0 samples, 0:00:09 elapsed, 0:00:");
  EXPECT_EQ(f.remaining, seconds(1));
}

// The end of the longest run is exact; an end beyond the clock's range is
// its last moment, never a sum that wraps into the past.
TEST(Progress, TheEndOfCollectionNeverWraps) {
  const SteadyClock::time_point start = SteadyClock::now();
  EXPECT_EQ(collectionEnd(start, 1e7) - start, seconds(10000000));
  EXPECT_EQ(collectionEnd(start, 0.8) - start, std::chrono::milliseconds(800));
  for (const double huge : {9223372036.0, 1e10, 1e300, HUGE_VAL, std::nan("")})
    EXPECT_EQ(collectionEnd(start, huge), SteadyClock::time_point::max()) << huge;
  EXPECT_EQ(collectionEnd(start, -1.0), start);
}

TEST(Progress, ElsewhereThanATerminalOnePlainLineEveryTenSeconds) {
  std::ostringstream out;
  Console console(out, false);
  ProgressReport report(console, "kestrav-log: ");
  ProgressFigures f;
  for (int s : {0, 3, 9, 10, 11, 19, 35, 36, 40}) {
    f.elapsed = seconds(s);
    report.update(f);
  }
  std::istringstream lines(out.str());
  std::vector<std::string> elapsed;
  for (std::string l; std::getline(lines, l);) {
    EXPECT_EQ(l.rfind("kestrav-log: 0 samples, ", 0), 0u) << l;
    elapsed.push_back(l.substr(l.find(", ") + 2, 7));
  }
  // At 10 s, then 35 s (20 and 30 passed unseen), then 40 s.
  EXPECT_EQ(elapsed, (std::vector<std::string>{"0:00:10", "0:00:35", "0:00:40"}));
}

TEST(Progress, OnATerminalMessagesPassAboveTheLiveLine) {
  std::ostringstream out;
  Console console(out, true);
  console.status("1 sample");
  console.status("1 sample");  // unchanged: not written again
  console.line("kestrav-log: a message");
  console.status("2 samples");
  console.endStatus();
  console.line("after");
  EXPECT_EQ(out.str(), "1 sample\r\033[Kkestrav-log: a message\n1 sample\r\033[K2 samples\nafter\n");
}

// A live line longer than the terminal would wrap, and only its last row
// would be rewritten.
TEST(Progress, TheLiveLineIsCutToTheTerminalsWidth) {
  std::ostringstream out;
  Console console(out, true, 10);
  console.status("0123456789abc");
  console.line("a message longer than the terminal stays whole");
  EXPECT_EQ(out.str(), "012345678\r\033[Ka message longer than the terminal stays whole\n012345678");
}

TEST(Progress, OneLineJoinsLinesAndBlanks) {
  EXPECT_EQ(oneLine("  a\n\nb \r\n\tc  "), "a b c");
  EXPECT_EQ(oneLine(""), "");
}

}  // namespace
}  // namespace kestrav::headless
