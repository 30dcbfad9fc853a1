// kestrav-sim as a program: a pseudo-terminal that talks like the bridge.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "SimHelpers.h"

extern char** environ;

namespace kestrav::sim {
namespace {

using namespace testing;

// Reads until `count` characters arrived or nothing came for `quietMs`.
std::string readFor(int fd, std::size_t count, int quietMs = 3000) {
  std::string out;
  while (out.size() < count) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, quietMs) <= 0) break;
    char buf[256];
    const ssize_t n = ::read(fd, buf, std::min(sizeof buf, count - out.size()));
    if (n <= 0) break;
    out.append(buf, static_cast<std::size_t>(n));
  }
  return out;
}

std::string readLine(int fd) {
  std::string line;
  for (;;) {
    const std::string c = readFor(fd, 1, 10000);
    if (c.empty() || c == "\n") return line;
    line += c;
  }
}

int openRaw(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY);
  if (fd < 0) return fd;
  termios t{};
  tcgetattr(fd, &t);
  cfmakeraw(&t);
  tcsetattr(fd, TCSANOW, &t);
  return fd;
}

class SimProgram : public ::testing::Test {
 protected:
  void start(std::vector<std::string> args) {
    const char* dir = std::getenv("KESTRAV_BUILD_DIR");
    if (dir == nullptr) GTEST_SKIP() << "KESTRAV_BUILD_DIR not set";
    const std::string binary = std::string(dir) + "/kestrav-sim";
    int out[2];
    ASSERT_EQ(::pipe(out), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    args.insert(args.begin(), binary);
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    ASSERT_EQ(posix_spawn(&pid_, binary.c_str(), &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    stdout_ = out[0];
  }

  int stop(int sig = SIGTERM) {
    ::kill(pid_, sig);
    int status = -1;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
    return status;
  }

  void TearDown() override {
    if (pid_ > 0) stop(SIGKILL);
    if (stdout_ >= 0) ::close(stdout_);
  }

  pid_t pid_ = -1;
  int stdout_ = -1;
};

TEST_F(SimProgram, ServesTheBridgeOnAPtyAndStopsCleanly) {
  start({"--boards", "3"});
  const std::string path = readLine(stdout_);
  ASSERT_EQ(path.rfind("/dev/pts/", 0), 0u) << path;

  int fd = openRaw(path);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::write(fd, "IZ", 2), 2);
  EXPECT_EQ(readFor(fd, 27), "KESTRAV-2 SPI BRIDGE V1.0\r\n");
  const std::string frame = startFrame(kSTCVAD) + readFrame(0x82, kRDCV);
  ASSERT_EQ(::write(fd, frame.data(), frame.size()), static_cast<ssize_t>(frame.size()));
  const ReadReply r = parseRead(readFor(fd, 42), kCellBytes);
  EXPECT_TRUE(r.pecOk()) << r.text;
  ::close(fd);

  // The GUI opens and closes the port per transaction.
  for (int i = 0; i < 3; ++i) {
    fd = openRaw(path);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, "IZ", 2), 2);
    EXPECT_EQ(readFor(fd, 27), "KESTRAV-2 SPI BRIDGE V1.0\r\n");
    ::close(fd);
  }

  // A client that leaves echo on must not make the bridge talk to itself.
  fd = openRaw(path);
  termios t{};
  tcgetattr(fd, &t);
  t.c_lflag |= ECHO;
  tcsetattr(fd, TCSANOW, &t);
  ASSERT_EQ(::write(fd, "IZ", 2), 2);
  EXPECT_EQ(readFor(fd, 27), "KESTRAV-2 SPI BRIDGE V1.0\r\n");
  EXPECT_EQ(readFor(fd, 100, 300), "");
  ::close(fd);

  const int status = stop(SIGTERM);
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_F(SimProgram, OptionsReachTheSimulatorAndSigintStops) {
  start({"--addresses", "81,83", "--unplug-after", "2"});
  const std::string path = readLine(stdout_);
  const int fd = openRaw(path);
  ASSERT_GE(fd, 0);
  const std::string absent = readFrame(0x82, kRDCFG);
  ASSERT_EQ(::write(fd, absent.data(), absent.size()), static_cast<ssize_t>(absent.size()));
  EXPECT_EQ(readFor(fd, 18), std::string(18, 'F'));
  ASSERT_EQ(::write(fd, "IZ", 2), 2);
  EXPECT_EQ(readFor(fd, 27).substr(0, 9), "KESTRAV-2");
  ASSERT_EQ(::write(fd, "IZ", 2), 2);
  EXPECT_EQ(readFor(fd, 27, 300), "");  // unplugged
  ::close(fd);
  const int status = stop(SIGINT);
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_F(SimProgram, HelpAndBadOptions) {
  start({"--help"});
  EXPECT_NE(readLine(stdout_).find("kestrav-sim"), std::string::npos);
  int status = -1;
  ::waitpid(pid_, &status, 0);
  pid_ = -1;
  EXPECT_EQ(WEXITSTATUS(status), 0);
  ::close(stdout_);
  stdout_ = -1;

  start({"--boards", "99"});
  ::waitpid(pid_, &status, 0);
  pid_ = -1;
  EXPECT_EQ(WEXITSTATUS(status), 2);
}

}  // namespace
}  // namespace kestrav::sim
