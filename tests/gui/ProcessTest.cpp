// kestrav-gui as a process: what it does with a bridge that names another
// chip, one that stops answering, and the built-in simulator.

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "PtyBridge.h"

namespace kestrav::test {
namespace {

using namespace std::chrono_literals;

struct Outcome {
  bool exited = false;   // ended by itself before the deadline
  int status = -1;       // its exit status when it did
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
// stopped with SIGTERM and reported as not exited.
Outcome runGui(const std::vector<std::string>& args, std::chrono::milliseconds limit) {
  int outPipe[2], errPipe[2];
  if (pipe(outPipe) != 0 || pipe(errPipe) != 0) return {};
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(outPipe[1], 1);
    dup2(errPipe[1], 2);
    close(outPipe[0]);
    close(errPipe[0]);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const std::string runtime = "/tmp/kestrav-gui-test-" + std::to_string(getuid());
    mkdir(runtime.c_str(), 0700);
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    std::vector<char*> argv{const_cast<char*>(KESTRAV_GUI_PATH)};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(KESTRAV_GUI_PATH, argv.data());
    _exit(127);
  }
  close(outPipe[1]);
  close(errPipe[1]);
  Outcome o;
  const auto deadline = std::chrono::steady_clock::now() + limit;
  int open = 2;
  pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
  while (open > 0 && std::chrono::steady_clock::now() < deadline) {
    if (poll(fds, 2, 20) <= 0) continue;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP))) continue;
      char buffer[512];
      const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
      if (n > 0) {
        (i == 0 ? o.out : o.err).append(buffer, static_cast<std::size_t>(n));
      } else {
        close(fds[i].fd);
        fds[i].fd = -1;
        --open;
      }
    }
  }
  int status = 0;
  bool reaped = false;
  while (!reaped && std::chrono::steady_clock::now() < deadline) {
    reaped = waitpid(pid, &status, WNOHANG) == pid;
    if (!reaped) std::this_thread::sleep_for(10ms);
  }
  if (reaped) {
    o.exited = WIFEXITED(status);
    o.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  } else {
    kill(pid, SIGTERM);
    waitpid(pid, &status, 0);
  }
  for (pollfd& f : fds)
    if (f.fd >= 0) close(f.fd);
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

}  // namespace
}  // namespace kestrav::test
