// The progress line and the console it shares with the messages.

#include <gtest/gtest.h>

#include <sstream>

#include "headless/Console.h"
#include "headless/Progress.h"

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
