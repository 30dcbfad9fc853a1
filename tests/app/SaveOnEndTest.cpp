#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>

#include "app/Events.h"
#include "app/SaveOnEnd.h"
#include "context/Shutdown.h"
#include "datalog/Collection.h"
#include "datalog/Export.h"
#include "datalog/Journal.h"
#include "support/MonitorFixture.h"

namespace kestrav::app {
namespace {

using test::MonitorFixture;

// A datalog of five points holding `samples` samples, paused, with
// kestrav-gui's save before the end installed.
Monitor& pausedDatalog(MonitorFixture& f, int samples) {
  Monitor& m = f.start();
  m.saveBeforeEnd = saveLastDatalogOnEnd;
  m.datalog.DATACOLLECTflag = 1;
  m.datalog.SETpoint = 5;
  m.datalog.DATApoint = 1;
  m.datalog.DLASTstamp = "12-07-2026_02_05_09 PM";
  for (int i = 0; i < samples; ++i) datalog::COLLECT_DATA_xls(m);
  return m;
}

const std::string kLastName = "/12-07-2026_02_05_09 PM_LAST_DATALOG.xls";

TEST(SaveOnEnd, ALostBridgeSavesTheRingAsTheLastDatalogThenEndsWithStatusOne) {
  MonitorFixture f;
  Monitor& m = pausedDatalog(f, 2);
  f.script->unplugged = true;
  timerTick(m);
  EXPECT_TRUE(m.ended());
  EXPECT_EQ(m.exitStatus(), context::kExitBridgeLost);
  const std::string saved = f.desktop.folder + kLastName;
  EXPECT_TRUE(std::filesystem::exists(saved));
  EXPECT_EQ(m.datalog.LastDATAlog, saved);
  EXPECT_EQ(m.stack.COUNTERstop, 3);
  EXPECT_EQ(m.endNote, "the datalog is saved in \"" + saved + "\"");
  EXPECT_TRUE(f.desktop.messages.empty());
}

TEST(SaveOnEnd, TheNoteNamesTheJournalToo) {
  MonitorFixture f;
  Monitor& m = f.start();
  m.saveBeforeEnd = saveLastDatalogOnEnd;
  m.datalog.DATACOLLECTflag = 1;
  m.datalog.SETpoint = 5;
  m.datalog.DATApoint = 1;
  m.datalog.DLASTstamp = "12-07-2026_02_05_09 PM";
  m.datalog.NewFile = f.desktop.folder + "/run.xls";
  datalog::beginJournal(m);
  datalog::COLLECT_DATA_xls(m);
  context::endOnLostBridge(m);
  EXPECT_EQ(m.endNote, "the datalog is saved in \"" + f.desktop.folder + kLastName + "\", its journal is \"" +
                           f.desktop.folder + "/run.csv\"");
}

TEST(SaveOnEnd, NothingIsSavedWithoutSamplesOrWithoutADatalog) {
  for (const bool datalog : {true, false}) {
    MonitorFixture f;
    Monitor& m = pausedDatalog(f, datalog ? 0 : 1);
    if (!datalog) m.datalog.DATACOLLECTflag = 0;
    f.script->unplugged = true;
    timerTick(m);
    EXPECT_EQ(m.exitStatus(), 1);
    EXPECT_FALSE(std::filesystem::exists(f.desktop.folder + kLastName));
    EXPECT_EQ(m.endNote, "");
  }
}

TEST(SaveOnEnd, ASignalSavesTooAndEndsWithTheShellsStatus) {
  MonitorFixture f;
  Monitor& m = pausedDatalog(f, 1);
  m.stack.CYCLEflag = 1;  // a wrapped ring holds samples whatever DATApoint says
  m.datalog.DATApoint = 1;
  context::endOnSignal(m, SIGTERM);
  EXPECT_EQ(m.exitStatus(), 143);
  EXPECT_EQ(f.desktop.quits, std::vector<int>{143});
  EXPECT_TRUE(std::filesystem::exists(f.desktop.folder + kLastName));
  // Ending once: a second signal or a lost bridge saves nothing more.
  std::filesystem::remove(f.desktop.folder + kLastName);
  context::endOnLostBridge(m);
  EXPECT_FALSE(std::filesystem::exists(f.desktop.folder + kLastName));
  EXPECT_EQ(m.exitStatus(), 143);
}

TEST(SaveOnEnd, AFailedSaveIsNamedInTheNote) {
  MonitorFixture f;
  Monitor& m = pausedDatalog(f, 1);
  f.desktop.folder += "/gone";
  context::endOnLostBridge(m);
  EXPECT_EQ(m.endNote, "the datalog could not be saved in \"" + f.desktop.folder + kLastName + "\"");
}

// A program folder that is there but not writable: a folder of our own
// made read-only, or for root (who writes anywhere) a read-only file system.
std::string unwritableFolder(const std::string& own) {
  ::mkdir(own.c_str(), 0555);
  if (::access(own.c_str(), W_OK) != 0) return own;
  for (const char* p : {"/proc/sys", "/sys"})
    if (::access(p, W_OK) != 0 && errno != ENOENT) return p;
  return {};
}

TEST(SaveOnEnd, AnUnwritableProgramFolderGivesWayToTheUsersDataFolder) {
  MonitorFixture f;
  Monitor& m = pausedDatalog(f, 1);
  const std::string home = f.desktop.folder + "/home";
  const std::string readOnly = unwritableFolder(f.desktop.folder + "/bin");
  if (readOnly.empty()) GTEST_SKIP() << "no folder here is unwritable";
  f.desktop.folder = readOnly;
  const char* oldData = std::getenv("XDG_DATA_HOME");
  const std::string keptData = oldData ? oldData : "";
  const std::string keptHome = std::getenv("HOME") ? std::getenv("HOME") : "";

  ::unsetenv("XDG_DATA_HOME");
  ::setenv("HOME", home.c_str(), 1);
  EXPECT_TRUE(datalog::saveLastDatalog(m));
  EXPECT_EQ(m.datalog.LastDATAlog, home + "/.local/share/kestrav-monitor" + kLastName);
  EXPECT_TRUE(std::filesystem::exists(m.datalog.LastDATAlog));

  ::setenv("XDG_DATA_HOME", (home + "/data").c_str(), 1);
  EXPECT_TRUE(datalog::saveLastDatalog(m));
  EXPECT_EQ(m.datalog.LastDATAlog, home + "/data/kestrav-monitor" + kLastName);
  EXPECT_TRUE(std::filesystem::exists(m.datalog.LastDATAlog));
  EXPECT_TRUE(f.desktop.messages.empty());

  if (oldData) ::setenv("XDG_DATA_HOME", keptData.c_str(), 1);
  else ::unsetenv("XDG_DATA_HOME");
  ::setenv("HOME", keptHome.c_str(), 1);
  ::chmod((home + "/../bin").c_str(), 0755);
}

}  // namespace
}  // namespace kestrav::app
