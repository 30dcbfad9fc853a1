// kestrav-log's run up to its collection, on the simulator without pacing:
// what it proves before it asks the bridge anything, and what a run that
// ends before collecting leaves behind (nothing).

#include <gtest/gtest.h>

#include <signal.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "datalog/Journal.h"
#include "datalog/TempFolder.h"
#include "headless/FilesAhead.h"
#include "headless/LogRun.h"
#include "link/ports/SimulatedPort.h"
#include "sim/Simulator.h"
#include "support/FakeDesktop.h"

namespace kestrav::headless {
namespace {

std::string firstLine(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string line;
  std::getline(in, line);
  return line;
}

// A session as kestrav-log builds it, before runLog starts it.
struct LogMonitor {
  explicit LogMonitor(sim::SimOptions sim = {}) : simulator(std::make_shared<sim::Simulator>(std::move(sim))) {}
  std::ostringstream err;
  Console console{err, false};
  HeadlessDesktop desktop{console, "kestrav-log", "/tmp"};
  test::FixedClock clock;
  std::shared_ptr<sim::Simulator> simulator;
  Session session{std::make_unique<link::SimulatedPort>(simulator, false), desktop, clock};
  context::Monitor& m = session.monitor();
};

LogOptions optionsFor(const std::string& out, int boards = 2) {
  LogOptions o;
  o.boards = boards;
  o.seconds = 10;
  o.secondsText = "10";
  o.out = out;
  return o;
}

TEST(FilesAhead, TheJournalIsCreatedWithItsHeaderAndTheProbeLeavesNothing) {
  test::TempFolder folder;
  LogMonitor l;
  EXPECT_EQ(prepareFiles(l.m, optionsFor(folder.file("run.xls"), 3)), "");
  EXPECT_EQ(folder.entries(), std::vector<std::string>{"run.csv"});
  EXPECT_TRUE(l.m.journal.isOpen());
  std::string header;
  for (const std::string& field : datalog::journalHeader(3)) header += (header.empty() ? "" : ",") + field;
  EXPECT_EQ(firstLine(folder.file("run.csv")), header + "\r");
  datalog::discardJournalAhead(l.m);
  EXPECT_TRUE(folder.entries().empty());
}

// A folder the workbook cannot be written to (a read-only mount; as root,
// mode bits stop nobody, so the refusal is shown through the probe).
TEST(FilesAhead, AFolderTheWorkbookCannotBeWrittenToIsRefusedWithNothingLeft) {
  test::TempFolder folder;
  LogMonitor l;
  std::string probed;
  const FolderProbe readOnly = [&probed](const std::string& f, std::string* reason) {
    probed = f;
    *reason = "Read-only file system";
    return false;
  };
  const std::string out = folder.file("run.xls");
  EXPECT_EQ(prepareFiles(l.m, optionsFor(out), readOnly),
            "the workbook " + out + " cannot be written in its folder: Read-only file system");
  EXPECT_EQ(probed, folder.path());
  EXPECT_TRUE(folder.entries().empty());
  EXPECT_FALSE(l.m.journal.isOpen());

  // The probe passes but the journal cannot be made: told with its name.
  const FolderProbe passes = [](const std::string&, std::string*) { return true; };
  const std::string refusal = prepareFiles(l.m, optionsFor("/proc/run.xls"), passes);
  EXPECT_EQ(refusal.rfind("the journal /proc/run.csv cannot be created: ", 0), 0u) << refusal;
}

TEST(FilesAhead, TheProbeCreatesAndRemovesAFile) {
  test::TempFolder folder;
  std::string reason;
  EXPECT_TRUE(canCreateFileIn(folder.path(), &reason)) << reason;
  EXPECT_TRUE(folder.entries().empty());
  EXPECT_FALSE(canCreateFileIn(folder.file("missing"), &reason));
  EXPECT_EQ(reason, "No such file or directory");
}

struct Transactions : link::TransactionObserver {
  int count = 0;
  void transactionDone(const link::Transaction&) override { ++count; }
};

// The stop signals stay blocked only for the test that asks for them.
sigset_t currentSignalMask() {
  sigset_t mask;
  pthread_sigmask(SIG_BLOCK, nullptr, &mask);
  return mask;
}

struct BlockedStopSignals {
  sigset_t before = currentSignalMask();  // taken before `signals` blocks them
  StopSignals signals;
  ~BlockedStopSignals() { pthread_sigmask(SIG_SETMASK, &before, nullptr); }
};

// Runs that end before collecting leave neither a workbook nor the journal
// made ahead; a pair the boxes would refuse is never written.
TEST(LogRun, RunsThatEndBeforeCollectingLeaveNoFiles) {
  test::TempFolder folder;
  BlockedStopSignals stop;
  {
    LogMonitor l;
    LogOptions o = optionsFor(folder.file("pair.xls"));
    o.vuv = "3.001";  // the command line refuses this pair; the boxes do too
    o.vov = "3.002";
    EXPECT_EQ(runLog(l.session, o, l.console, stop.signals), kExitFailed);
    EXPECT_EQ(l.err.str(), "kestrav-log: --vuv 3.001 --vov 3.002 were not written: VUV must be less than VOV\n");
    EXPECT_EQ(l.m.stack.board[0].CFGRset[4], "00");
    EXPECT_TRUE(folder.entries().empty());
  }
  {
    sim::SimOptions refusing;
    refusing.identity = "KESTRAV-3";
    LogMonitor l(refusing);
    EXPECT_EQ(runLog(l.session, optionsFor(folder.file("refused.xls")), l.console, stop.signals), kExitFailed);
    EXPECT_NE(l.err.str().find("instead of \"KESTRAV-2\""), std::string::npos) << l.err.str();
    EXPECT_TRUE(folder.entries().empty());
  }
  {
    LogMonitor l;
    LogOptions o = optionsFor(folder.file("short.xls"));
    o.secondsText = "0.1";  // the set-up refuses an interval shorter than a sample
    EXPECT_EQ(runLog(l.session, o, l.console, stop.signals), kExitFailed);
    EXPECT_NE(l.err.str().find("was not accepted"), std::string::npos) << l.err.str();
    EXPECT_TRUE(folder.entries().empty());
  }
  {
    LogMonitor l;
    Transactions bridge;
    l.m.link.setObserver(&bridge);
    EXPECT_EQ(runLog(l.session, optionsFor("/proc/run.xls"), l.console, stop.signals), kExitUsage);
    EXPECT_EQ(l.err.str().rfind("kestrav-log: the workbook /proc/run.xls cannot be written in its folder: ", 0), 0u)
        << l.err.str();
    EXPECT_EQ(bridge.count, 0) << "refused before the bridge was asked anything";
    l.m.link.setObserver(nullptr);
  }
}

}  // namespace
}  // namespace kestrav::headless
