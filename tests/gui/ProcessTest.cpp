// kestrav-gui as a process: what it does with a bridge that names another
// chip, one that stops answering, and the built-in simulator.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <regex>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "PtyBridge.h"
#include "support/ChildProcess.h"

namespace kestrav::test {
namespace {

using namespace std::chrono_literals;

struct Outcome {
  bool exited = false;   // ended by itself before the deadline
  int status = -1;       // its exit status when it did
  int statusAfterSignal = -1;  // when it did not: its exit status after the signal
  std::string out, err;
};

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find('\n', start);
    out.push_back(text.substr(start, end - start));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return out;
}

// Runs kestrav-gui offscreen; a program still running after `limit` is
// stopped with `endSignal` and reported as not exited.
Outcome runGui(const std::vector<std::string>& args, std::chrono::milliseconds limit, int endSignal = SIGTERM) {
  const std::string runtime = "/tmp/kestrav-gui-test-" + std::to_string(getuid());
  mkdir(runtime.c_str(), 0700);
  ChildProcess gui;
  gui.spawn(KESTRAV_GUI_PATH, args, {"", {{"QT_QPA_PLATFORM", "offscreen"}, {"XDG_RUNTIME_DIR", runtime}}});
  const auto deadline = std::chrono::steady_clock::now() + limit;
  gui.gather(limit);
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
  Outcome o;
  if (const auto status = gui.wait(std::max(left, 0ms))) {
    o.exited = WIFEXITED(*status);
    o.status = WIFEXITED(*status) ? WEXITSTATUS(*status) : -1;
  } else {
    gui.signal(endSignal);
    gui.gather(20s);  // what it says on its way out
    const auto after = gui.wait(60s);
    o.statusAfterSignal = after && WIFEXITED(*after) ? WEXITSTATUS(*after) : -1;
  }
  o.out = gui.out;
  o.err = gui.err;
  return o;
}

TEST(GuiProcess, BridgeNamingAnotherChipEndsWithOneLineAndStatusOne) {
  PtyBridge bridge("KESTRAV-3 bridge v1");
  const Outcome o = runGui({"--port", bridge.path()}, 20s);
  ASSERT_TRUE(o.exited) << o.err;
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.err, "kestrav-gui: the bridge on " + bridge.path() + " answered \"KESTRAV-3\" instead of \"KESTRAV-2\"\n");
  EXPECT_EQ(o.out, "");
  EXPECT_EQ(bridge.identifications(), 1);
}

TEST(GuiProcess, BridgeThatStopsAnsweringEndsTheProgramAtTheNextTick) {
  PtyBridge bridge("KESTRAV-2 bridge v1", 3);
  const Outcome o = runGui({"--port", bridge.path()}, 20s);
  ASSERT_TRUE(o.exited) << o.err;
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(bridge.identifications(), 4);  // the load, two ticks, the silent one
  // Qt may add notes of its own; the program says exactly one thing.
  int ours = 0;
  for (const std::string& l : lines(o.err))
    if (l.rfind("kestrav-gui:", 0) == 0) {
      ++ours;
      EXPECT_EQ(l, "kestrav-gui: the bridge on " + bridge.path() +
                       " did not answer (received \"         \" instead of \"KESTRAV-2\")");
    }
  EXPECT_EQ(ours, 1) << o.err;
}

TEST(GuiProcess, SimulatedStackKeepsRunning) {
  const Outcome o = runGui({"--simulate"}, 1500ms);
  EXPECT_FALSE(o.exited) << "ended with status " << o.status << ": " << o.err;
  EXPECT_EQ(o.err.find("kestrav-gui:"), std::string::npos) << o.err;
}

TEST(GuiProcess, EndSignalsEndWithTheStatusAShellExpects) {
  for (const int s : {SIGTERM, SIGINT, SIGHUP}) {
    const Outcome o = runGui({"--simulate"}, 1500ms, s);
    EXPECT_FALSE(o.exited) << o.err;
    EXPECT_EQ(o.statusAfterSignal, 128 + s) << o.err;
    EXPECT_EQ(o.err.find("kestrav-gui:"), std::string::npos) << "no datalog, nothing to tell: " << o.err;
  }
}

TEST(GuiProcess, HelpAndVersionNeedNoDisplayAndBadOptionsAreRefused) {
  Outcome o = runGui({"--help"}, 10s);
  ASSERT_TRUE(o.exited);
  EXPECT_EQ(o.status, 0);
  EXPECT_NE(o.out.find("--simulate"), std::string::npos);
  o = runGui({"--version"}, 10s);
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.out.rfind("kestrav-gui ", 0), 0u);
  o = runGui({"--simulate=0"}, 10s);
  EXPECT_EQ(o.status, 2);
  EXPECT_EQ(o.err.rfind("kestrav-gui: ", 0), 0u) << o.err;
  o = runGui({"--port", "--simulate"}, 10s);
  EXPECT_EQ(o.status, 2);
  EXPECT_EQ(o.err.rfind("kestrav-gui: --port needs", 0), 0u) << o.err;
}

// kestrav-sim on its pty, for as long as the object lives.
class SimProcess {
 public:
  explicit SimProcess(const std::vector<std::string>& args) {
    sim_.spawn(KESTRAV_SIM_PATH, args);
    path_ = sim_.readLine();  // the first line is the terminal's path
  }
  ~SimProcess() { sim_.stop(SIGTERM); }
  const std::string& path() const { return path_; }

 private:
  ChildProcess sim_;
  std::string path_;
};

std::vector<std::string> fields(const std::string& line) {
  std::vector<std::string> out;
  std::size_t start = 0;
  for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
    out.push_back(line.substr(start, tab - start));
  out.push_back(line.substr(start));
  return out;
}

TEST(GuiProcess, TraceWritesEveryTransactionOverTheSimulatorsPty) {
  SimProcess sim({"--boards", "2"});
  ASSERT_EQ(sim.path().rfind("/dev/pts/", 0), 0u) << sim.path();
  const std::string trace = testing::TempDir() + "kestrav-gui-trace-" + std::to_string(getpid()) + ".tsv";
  const Outcome o = runGui({"--port", sim.path(), "--trace", trace}, 3s);
  EXPECT_FALSE(o.exited) << "ended with status " << o.status << ": " << o.err;

  // Killed while running: the lines written so far are all there, whole.
  std::ifstream in(trace);
  std::vector<std::string> got;
  for (std::string line; std::getline(in, line);) got.push_back(line);
  ASSERT_GE(got.size(), 2u);  // the load's identification and at least one tick's
  const std::regex iso(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}[+-]\d\d:\d\d)");
  for (const std::string& line : got) {
    const std::vector<std::string> f = fields(line);
    ASSERT_EQ(f.size(), 6u) << line;
    EXPECT_TRUE(std::regex_match(f[0], iso)) << f[0];
    EXPECT_EQ(f[1], "IZ");
    EXPECT_EQ(f[2], "50");
    EXPECT_EQ(f[4].rfind("KESTRAV-2", 0), 0u) << f[4];
    EXPECT_EQ(f[5], "");  // no PEC verdict for the identification
  }
  std::remove(trace.c_str());
}

TEST(GuiProcess, TraceToAPlaceThatCannotBeWrittenIsRefusedBeforeAnyWindow) {
  const Outcome o = runGui({"--simulate", "--trace", "/nonexistent-folder/trace.tsv"}, 10s);
  ASSERT_TRUE(o.exited);
  EXPECT_EQ(o.status, 2);
  EXPECT_EQ(o.err.rfind("kestrav-gui: cannot write /nonexistent-folder/trace.tsv: ", 0), 0u) << o.err;
}

}  // namespace
}  // namespace kestrav::test
