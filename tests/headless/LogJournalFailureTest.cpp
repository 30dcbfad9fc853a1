// kestrav-log in this process, on the simulator, with a disk that fills up
// while the journal is being written: the run goes on in the ring, saves
// its workbook, and its status still tells that the journal was lost.

#include <gtest/gtest.h>

#include <pthread.h>
#include <signal.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "context/Clock.h"
#include "context/JournalFile.h"
#include "context/Monitor.h"
#include "datalog/Journal.h"
#include "datalog/TempFolder.h"
#include "headless/LogRun.h"
#include "link/ports/SimulatedPort.h"
#include "sim/Simulator.h"
#include "support/DiskStandIn.h"

namespace kestrav::headless {
namespace {

std::string readText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) lines.push_back(l);
  return lines;
}

TEST(LogJournalFailure, AJournalLostMidRunIsToldOnceTheWorkbookIsSavedAndTheStatusIsOne) {
  test::TempFolder folder;
  const std::string workbook = folder.file("run.xls");
  const LogCommandLine line =
      parseLogCommandLine({"--simulate=2", "--boards", "2", "--seconds", "4", "--out", workbook});
  ASSERT_EQ(line.action, LogAction::Run) << line.error;

  // The disk takes the header and a few bytes of the first sample's line.
  std::string header;
  for (const std::string& field : datalog::journalHeader(2)) header += (header.empty() ? "" : ",") + context::csvField(field);
  header += "\r\n";
  test::DiskStandIn disk;
  disk.fillAfter(".csv", header.size() + 5);

  std::ostringstream err;
  Console console(err, false);
  HeadlessDesktop desktop(console, "kestrav-log", folder.path());
  context::SystemClock clock;
  sim::SimOptions simOptions;
  simOptions.boards = 2;
  Session session(std::make_unique<link::SimulatedPort>(std::make_shared<sim::Simulator>(simOptions), false),
                  desktop, clock);
  sigset_t before;
  pthread_sigmask(SIG_SETMASK, nullptr, &before);
  StopSignals signals;  // blocks the stop signals of this thread
  const int status = runLog(session, line.options, console, signals);
  pthread_sigmask(SIG_SETMASK, &before, nullptr);

  EXPECT_EQ(status, kExitFailed) << err.str();
  int told = 0;
  for (const std::string& l : linesOf(err.str()))
    if (l.find("journal could not be written") != std::string::npos) {
      ++told;
      EXPECT_NE(l.find(folder.file("run.csv")), std::string::npos) << l;
      EXPECT_NE(l.find("No space left on device"), std::string::npos) << l;
    }
  EXPECT_EQ(told, 1) << err.str();
  // The journal keeps its whole lines; the workbook has the samples.
  EXPECT_EQ(readText(folder.file("run.csv")), header);
  EXPECT_EQ(readText(workbook).substr(0, 8), "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1");
  EXPECT_GE(session.monitor().datalog.DATApoint, 3) << "the run took no sample after the journal failed";
}

}  // namespace
}  // namespace kestrav::headless
