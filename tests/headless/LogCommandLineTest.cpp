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
        with({"--keep-going=yes"}), with({"--port", "--simulate"}), with({"--pace", "slow"}), with({"--pace"}),
        with({"--settle-ms", "-1"}), with({"--settle-ms", "10001"}), with({"--settle-ms", "5ms"}),
        Strings{"--boards", "2", "--seconds", "10", "--out", "--keep-going"},
        // Two decimal points: the boxes would have swallowed the second.
        with({"--seconds", "1.2.3"}), with({"--vuv", "3.1.1", "--vov", "4"}), with({"--vuv", "3", "--vov", "4.2."}),
        // Longer than about 115 days, or than any clock holds.
        with({"--seconds", "10000000.1"}), with({"--seconds", "9223372036"}), with({"--seconds", "10000000000"}),
        with({"--seconds", std::string(400, '9')}),
        // No name before ".xls".
        with({"--out", folder.file(".xls")}), with({"--out", folder.file(".XLS")})}) {
    const LogCommandLine c = parseLogCommandLine(args);
    std::string shown;
    for (const std::string& a : args) shown += a + " ";
    EXPECT_EQ(c.action, LogAction::Error) << shown;
    EXPECT_FALSE(c.error.empty()) << shown;
  }
}

TEST(LogCommandLine, TheLongestRunIsTenMillionSeconds) {
  test::TempFolder folder;
  const LogCommandLine c =
      parseLogCommandLine({"--boards", "1", "--seconds", "10000000", "--out", folder.file("long.xls")});
  ASSERT_EQ(c.action, LogAction::Run) << c.error;
  EXPECT_DOUBLE_EQ(c.options.seconds, 1e7);
  EXPECT_EQ(parseLogCommandLine({"--boards", "1", "--seconds", "10000000.1", "--out", folder.file("long.xls")}).error,
            "--seconds takes at most 10000000 (about 115 days)");
}

// A pair is judged on the codes the chips get, 0.024 V a step, halves
// rounded to the even code as the boxes round them: the boxes must take
// every pair the options pass, or the run would write half of it.
TEST(LogCommandLine, ThresholdPairsAreJudgedOnTheirCodes) {
  test::TempFolder folder;
  auto pair = [&folder](const std::string& vuv, const std::string& vov) {
    return parseLogCommandLine(
        {"--boards", "1", "--seconds", "1", "--out", folder.file("t.xls"), "--vuv", vuv, "--vov", vov});
  };
  for (const auto& [vuv, vov] : std::vector<std::pair<std::string, std::string>>{
           {"3.001", "3.002"},  // both code 125
           {"4.19", "4.2"},     // both 175
           {"0.05", "0.06"},    // 2.08 and 2.5: both 2, the half to the even code
           {"0.000", "0.000"},  {"6.12", "6.12"}}) {
    const LogCommandLine c = pair(vuv, vov);
    EXPECT_EQ(c.action, LogAction::Error) << vuv << " " << vov;
    EXPECT_EQ(c.error, "--vuv " + vuv + " --vov " + vov +
                           ": VUV must be less than VOV (in steps of 0.024 V, rounded half to even)");
  }
  for (const auto& [vuv, vov] : std::vector<std::pair<std::string, std::string>>{
           {"0.06", "0.07"},  // 2.5 gives 2, below 3 (rounding halves up would give 3 and 3)
           {"3.000", "3.024"}, {"0", "6.120"}, {"6.096", "6.12"}}) {
    const LogCommandLine c = pair(vuv, vov);
    EXPECT_EQ(c.action, LogAction::Run) << vuv << " " << vov << ": " << c.error;
  }
  EXPECT_EQ(pair("3", "6.121").error, "--vov needs volts from 0.000 to 6.120");
}

TEST(LogCommandLine, UsageStartsWithTheUsageLine) {
  const std::string usage = logUsageText();
  EXPECT_EQ(usage.substr(0, usage.find('\n')),
            "Usage: kestrav-log [--port PATH [--baud N] | --simulate[=N]] --boards N --seconds T --out FILE.xls "
            "[--vuv V --vov V | --config FILE] [--keep-going] [--trace FILE] [--pace fast|window] [--settle-ms N]");
}

TEST(LogCommandLine, PaceIsTheWindowsUnlessFastIsAskedFor) {
  test::TempFolder folder;
  const Strings run{"--simulate", "--boards", "2", "--seconds", "10", "--out", folder.file("run.xls")};
  LogCommandLine c = parseLogCommandLine(run);
  ASSERT_EQ(c.action, LogAction::Run) << c.error;
  EXPECT_EQ(c.options.pace, LogPace::Window);
  EXPECT_EQ(c.options.settleMs, 0);
  Strings fast = run;
  fast.insert(fast.end(), {"--pace", "fast", "--settle-ms=25"});
  c = parseLogCommandLine(fast);
  ASSERT_EQ(c.action, LogAction::Run) << c.error;
  EXPECT_EQ(c.options.pace, LogPace::Fast);
  EXPECT_EQ(c.options.settleMs, 25);
  // Fast passes fill the largest ring, whatever T is.
  EXPECT_EQ(intervalAnswer(c.options), "26213.6");
  fast.insert(fast.end(), {"--pace=window", "--settle-ms", "0"});
  c = parseLogCommandLine(fast);
  EXPECT_EQ(c.options.pace, LogPace::Window);
  EXPECT_EQ(c.options.settleMs, 0);
  EXPECT_EQ(intervalAnswer(c.options), "10");
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
