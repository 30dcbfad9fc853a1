// kestrav-sim as a program: a pseudo-terminal that talks like the bridge.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "SimHelpers.h"
#include "support/ChildProcess.h"
#include "link/BridgeLink.h"
#include "link/CommandStrings.h"
#include "link/PecTable.h"
#include "link/ReplyBytes.h"
#include "link/ports/SerialPort.h"

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
  // kestrav-sim with these options; a program started before is killed.
  void start(std::vector<std::string> args) {
    child_ = std::make_unique<test::ChildProcess>();
    child_->spawn(test::builtProgram("kestrav-sim"), std::move(args));
    stdout_ = child_->outFd();
  }
  int stop(int sig = SIGTERM) { return child_->stop(sig); }
  // Its wait status once it ended by itself.
  int ended() {
    const auto status = child_->wait(std::chrono::seconds(10));
    EXPECT_TRUE(status.has_value()) << "still running";
    return status.value_or(-1);
  }

  std::unique_ptr<test::ChildProcess> child_;
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

// The whole link as the monitor uses it: the serial port on the simulator's
// pty, the command strings, the reply buffers, the bytes and the CRC-8.
TEST_F(SimProgram, TheSerialPortLinkWorksEndToEnd) {
  start({"--boards", "2"});
  const std::string path = readLine(stdout_);
  ASSERT_EQ(path.rfind("/dev/pts/", 0), 0u) << path;

  link::BridgeLink bridge(std::make_unique<link::SerialPort>(path));
  EXPECT_EQ(bridge.identify().substr(0, 9), "KESTRAV-2");

  state::BoardStack s;
  s.CARDSTACK = 1;
  link::PecTable table;
  link::PECload(table);
  s.BRDnumber = 1;
  s.board[1].CFGRset = {"E1", "03", "00", "00", "7D", "AF"};
  bridge.send(link::writeConfigString(s));  // write-only: its echo must not leak into the next read

  using state::ReadCommand;
  ASSERT_EQ(bridge.read(ReadCommand::RDCFG, link::readCommandString(s, ReadCommand::RDCFG)), 18u);
  link::PEC_Create_CFGRbyte_array_ADDR(s, bridge.reply(ReadCommand::RDCFG));
  link::PEC_GUI_RDCFG_Calc_ADDR(s, table);
  EXPECT_EQ(s.board[1].PECrx[0], s.board[1].PECcalc[0]) << bridge.reply(ReadCommand::RDCFG);
  EXPECT_EQ(s.board[1].RDCFGbytes[0], 0xE1);
  EXPECT_EQ(s.board[1].RDCFGbytes[4], 0x7D);
  EXPECT_EQ(s.board[1].RDCFGbytes[5], 0xAF);

  bridge.send(link::startCommandString(s, state::Broadcastable::STCVAD));
  ASSERT_EQ(bridge.read(ReadCommand::RDCV, link::readCommandString(s, ReadCommand::RDCV)), 42u);
  link::PEC_Create_CVRbyte_array_ADDR(s, bridge.reply(ReadCommand::RDCV));
  link::PEC_GUI_RDCV_Calc_ADDR(s, table);
  EXPECT_EQ(s.board[1].PECrx[1], s.board[1].PECcalc[1]) << bridge.reply(ReadCommand::RDCV);

  // Board 1 was never written: it still holds its power-up configuration.
  s.BRDnumber = 0;
  ASSERT_EQ(bridge.read(ReadCommand::RDCFG, link::readCommandString(s, ReadCommand::RDCFG)), 18u);
  EXPECT_EQ(bridge.reply(ReadCommand::RDCFG).substr(4), "E00000000000A1");
  EXPECT_EQ(WEXITSTATUS(stop(SIGTERM)), 0);
}

TEST_F(SimProgram, HelpAndBadOptions) {
  start({"--help"});
  EXPECT_NE(readLine(stdout_).find("kestrav-sim"), std::string::npos);
  EXPECT_EQ(WEXITSTATUS(ended()), 0);

  start({"--boards", "99"});
  EXPECT_EQ(WEXITSTATUS(ended()), 2);
}

}  // namespace
}  // namespace kestrav::sim
