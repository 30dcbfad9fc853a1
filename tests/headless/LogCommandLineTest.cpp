// The options of kestrav-log: what it accepts, what it refuses with status 2.

#include <gtest/gtest.h>

#include "datalog/TempFolder.h"
#include "headless/LogCommandLine.h"
#include "headless/LogRun.h"

namespace kestrav::headless {
namespace {

using Strings = std::vector<std::string>;

TEST(LogCommandLine, TakesTheRunAndTheBridge) {
  test::TempFolder folder;
  const std::string out = folder.file("run1.xls");
  LogCommandLine c = parseLogCommandLine(
      {"--port", "/dev/pts/4", "--baud=9600", "--boards", "3", "--seconds=3600", "--out", out, "--vuv", "3.1",
       "--vov=4.2", "--keep-going"});
  ASSERT_EQ(c.action, LogAction::Run) << c.error;
  EXPECT_EQ(c.options.port.port, app::PortKind::Serial);
  EXPECT_EQ(c.options.port.path, "/dev/pts/4");
  EXPECT_EQ(c.options.port.baud, 9600);
  EXPECT_EQ(c.options.boards, 3);
  EXPECT_DOUBLE_EQ(c.options.seconds, 3600.0);
  EXPECT_EQ(c.options.out, out);
  EXPECT_EQ(c.options.vuv, "3.1");
  EXPECT_EQ(c.options.vov, "4.2");
  EXPECT_TRUE(c.options.keepGoing);

  c = parseLogCommandLine({"--simulate=4", "--boards", "10", "--seconds", "0.8", "--out", out});
  ASSERT_EQ(c.action, LogAction::Run) << c.error;
  EXPECT_EQ(c.options.port.port, app::PortKind::Simulator);
  EXPECT_EQ(c.options.port.boards, 4);
  EXPECT_FALSE(c.options.vuv.has_value());
  EXPECT_FALSE(c.options.keepGoing);

  EXPECT_EQ(parseLogCommandLine({"--simulate", "--boards", "1", "--seconds", "1", "--out", out, "--trace", "t.tsv"})
                .options.tracePath,
            "t.tsv");
  EXPECT_EQ(parseLogCommandLine({"--simulate", "--boards", "1", "--seconds", "1", "--out", out, "--trace"}).action,
            LogAction::Error);
  EXPECT_EQ(parseLogCommandLine({"--simulate", "--boards", "1", "--seconds", "1", "--trace", "--out", out}).action,
            LogAction::Error);

  EXPECT_EQ(parseLogCommandLine({"--boards", "2", "--help", "--bogus"}).action, LogAction::Help);
  EXPECT_EQ(parseLogCommandLine({"--version"}).action, LogAction::Version);
}

// The stack configuration gives the stack size; its thresholds are the
// file's, so --vuv/--vov cannot come with it.
TEST(LogCommandLine, ConfigFileStandsForBoardsAndThresholds) {
  test::TempFolder folder;
  const std::string out = folder.file("run.xls");
  LogCommandLine c = parseLogCommandLine({"--simulate", "--config", "rig.json", "--seconds", "2", "--out", out});
  ASSERT_EQ(c.action, LogAction::Run) << c.error;
  EXPECT_EQ(c.options.configPath, "rig.json");
  EXPECT_EQ(c.options.boards, 0);
  c = parseLogCommandLine({"--config=rig.json", "--boards", "3", "--seconds", "2", "--out", out});
  ASSERT_EQ(c.action, LogAction::Run) << c.error;
  EXPECT_EQ(c.options.boards, 3);

  c = parseLogCommandLine({"--config", "rig.json", "--seconds", "2", "--out", out, "--vuv", "3.1", "--vov", "4.2"});
  EXPECT_EQ(c.action, LogAction::Error);
  EXPECT_EQ(c.error, "--config and --vuv/--vov do not go together: the file holds the thresholds");
  EXPECT_EQ(parseLogCommandLine({"--config", "--seconds", "2", "--out", out}).action, LogAction::Error);
  EXPECT_EQ(parseLogCommandLine({"--config=", "--seconds", "2", "--out", out}).action, LogAction::Error);
}

// The workbook's first cell holds the full path, as a save dialog gives it.
TEST(LogCommandLine, TheWorkbookPathIsMadeAbsolute) {
  const LogCommandLine c = parseLogCommandLine({"--boards", "1", "--seconds", "2", "--out", "./run.XLS"});
  ASSERT_EQ(c.action, LogAction::Run) << c.error;
  EXPECT_EQ(c.options.out, (std::filesystem::current_path() / "run.XLS").string());
}

TEST(LogCommandLine, RefusesWhatItCannotUse) {
  test::TempFolder folder;
  const std::string out = folder.file("run.xls");
  const Strings run{"--boards", "2", "--seconds", "10", "--out", out};
  auto with = [&run](Strings extra) {
    Strings args = run;
    args.insert(args.end(), extra.begin(), extra.end());
    return args;
  };
  for (const Strings& args :
       {Strings{}, Strings{"--seconds", "10", "--out", out}, Strings{"--boards", "2", "--out", out},
        Strings{"--boards", "2", "--seconds", "10"}, with({"--bogus"}), with({"extra"}), with({"--boards", "0"}),
        with({"--boards", "11"}), with({"--boards", "2.5"}), with({"--seconds", "0.7"}), with({"--seconds", "-5"}),
        with({"--seconds", "1e3"}), with({"--seconds", "10s"}), with({"--seconds"}), with({"--vuv", "3.1"}),
        with({"--vov", "4.2"}), with({"--vuv", "4.2", "--vov", "4.2"}), with({"--vuv", "4.3", "--vov", "4.2"}),
        with({"--vuv", "3", "--vov", "6.13"}), with({"--vuv", "-1", "--vov", "4"}), with({"--vuv", "3,1", "--vov", "4"}),
        with({"--out", folder.file("run.csv")}), with({"--out", folder.file("nowhere/run.xls")}), with({"--out="}),
        with({"--simulate", "--port", "/dev/pts/1"}), with({"--baud", "9600"}), with({"--simulate=16"}),
        with({"--keep-going=yes"}), with({"--port", "--simulate"}),
        Strings{"--boards", "2", "--seconds", "10", "--out", "--keep-going"}}) {
    const LogCommandLine c = parseLogCommandLine(args);
    std::string shown;
    for (const std::string& a : args) shown += a + " ";
    EXPECT_EQ(c.action, LogAction::Error) << shown;
    EXPECT_FALSE(c.error.empty()) << shown;
  }
}

TEST(LogCommandLine, UsageStartsWithTheUsageLine) {
  const std::string usage = logUsageText();
  EXPECT_EQ(usage.substr(0, usage.find('\n')),
            "Usage: kestrav-log [--port PATH [--baud N] | --simulate[=N]] --boards N --seconds T --out FILE.xls "
            "[--vuv V --vov V | --config FILE] [--keep-going] [--trace FILE]");
}

// Longer than the ring: the prompt gets the longest interval it holds.
TEST(LogCommandLine, IntervalAnswerIsCappedAtTheLongestRing) {
  LogOptions o;
  o.secondsText = "3600";
  o.seconds = 3600;
  EXPECT_EQ(intervalAnswer(o), "3600");
  o.secondsText = "26213.6";
  o.seconds = 26213.6;
  EXPECT_EQ(intervalAnswer(o), "26213.6");
  o.secondsText = "86400";
  o.seconds = 86400;
  EXPECT_EQ(intervalAnswer(o), "26213.6");
}

}  // namespace
}  // namespace kestrav::headless
