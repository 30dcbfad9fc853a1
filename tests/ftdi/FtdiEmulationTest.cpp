// FtdiPort, libftdi1 and libusb, unmodified, against an FT232R emulated
// under umockdev with the simulated bridge behind its UART.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "datalog/TempFolder.h"
#include "ftdi/EmulatedFtdi.h"
#include "link/BridgeLink.h"
#include "link/Crc8.h"
#include "link/ReplyBytes.h"
#include "link/ports/FtdiPort.h"

extern char** environ;

namespace kestrav::test {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using link::BridgeLink;
using link::FtdiPort;
using link::ReadCommand;

const std::string kReadCells = "MSxT81T04RRRRRRRRRRRRRRRRRRRX";  // RDCV of board 0x81
const std::string kReadConfig = "MSxT81T02RRRRRRRX";             // RDCFG of board 0x81
const std::string kStartCells = "MSxS10X";                        // broadcast STCVAD

// The reply's register bytes against the chip's PEC, its last byte.
bool pecMatches(const std::string& reply) {
  if (reply.size() < 6) return false;
  std::vector<std::uint8_t> bytes;
  for (std::size_t pos = 4; pos + 2 < reply.size(); pos += 2) bytes.push_back(link::pairValue(reply, pos));
  return link::crc8(bytes.data(), bytes.size()) == link::pairValue(reply, reply.size() - 2);
}

sim::SimOptions boards(int n) {
  sim::SimOptions o;
  o.boards = n;
  return o;
}

// Characters written and answered, ten bits each.
Clock::duration lineTime(std::size_t characters, int baud) {
  return std::chrono::nanoseconds(static_cast<long long>(characters) * 10 * 1000000000LL / baud);
}

class FtdiEmulation : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!EmulatedFtdi::available()) GTEST_SKIP() << "not under umockdev-wrapper";
  }
};

TEST_F(FtdiEmulation, IdentificationAndReadsComeBackWithValidPecs) {
  EmulatedFtdi chip(boards(2));
  BridgeLink link(std::make_unique<FtdiPort>());

  const std::string id = link.identify();
  EXPECT_EQ(id.substr(0, 9), "KESTRAV-2") << id;

  link.send(kStartCells);
  ASSERT_EQ(link.read(ReadCommand::RDCV, kReadCells), 42u);
  const std::string cells = link.reply(ReadCommand::RDCV);
  EXPECT_EQ(cells.substr(0, 4), "FFFF") << "what the bus gave back while the address and command went out";
  EXPECT_TRUE(pecMatches(cells)) << cells;
  EXPECT_NE(cells.substr(4, 4), "0000") << "the start converted the cells";

  ASSERT_EQ(link.read(ReadCommand::RDCFG, kReadConfig), 18u);
  EXPECT_TRUE(pecMatches(link.reply(ReadCommand::RDCFG))) << link.reply(ReadCommand::RDCFG);
  // Byte for byte what was written, nothing lost or added on the way.
  EXPECT_EQ(chip.withChip([](Ft232rChip& c) { return c.written(); }), "IZ" + kStartCells + kReadCells + kReadConfig);
}

TEST_F(FtdiEmulation, ThePortSetsRateLineAndLatencyThroughControlRequests) {
  EmulatedFtdi chip;
  FtdiPort port(115200);
  port.open();
  chip.withChip([](Ft232rChip& c) {
    EXPECT_NEAR(c.baud(), 115200, 115200 * 0.03);  // the nearest rate the divisor makes: 115385
    EXPECT_EQ(c.lineSettings(), 0x0008);            // 8 data bits, no parity, 1 stop bit
    EXPECT_EQ(c.flowControl(), 0);                  // no handshake
    EXPECT_EQ(c.latencyMs(), 2);
    const auto r = c.requests();
    ASSERT_FALSE(r.empty());
    EXPECT_EQ(r.front().request, 0x00);  // opening resets the chip first
    EXPECT_EQ(r.front().value, 0);
    bool purged = false;
    for (const auto& q : r) purged = purged || (q.request == 0x00 && q.value == 2);
    EXPECT_TRUE(purged) << "the receive side is purged before the first transaction";
  });
  for (int baud : {9600, 3000000}) {
    FtdiPort other(baud);
    other.open();
    EXPECT_NEAR(chip.withChip([](Ft232rChip& c) { return c.baud(); }), baud, baud * 0.03);
  }
}

TEST_F(FtdiEmulation, ATransactionTakesAtLeastItsCharactersLineTime) {
  EmulatedFtdi chip;
  BridgeLink link(std::make_unique<FtdiPort>(9600));
  link.identify();
  const auto start = Clock::now();
  ASSERT_EQ(link.read(ReadCommand::RDCV, kReadCells), 42u);
  // 29 characters out and 42 back at 9600 Bd: 74 ms.
  EXPECT_GE(Clock::now() - start, lineTime(kReadCells.size() + 42, 9600));
}

TEST_F(FtdiEmulation, AReplyLongerThanOnePacketComesWholeFromTwoPackets) {
  EmulatedFtdi chip;
  FtdiPort port;
  port.open();
  port.setTimeouts(1000, 1000);
  // 40 "R" tokens: 84 characters come back, the chip's 19 bytes first.
  const std::string frame = "MSxT81T04" + std::string(40, 'R') + "X";
  port.write(frame);
  // The whole answer waits in the chip before the host asks for it.
  std::this_thread::sleep_for(30ms);
  const std::size_t before = chip.withChip([](Ft232rChip& c) { return c.packets().size(); });
  std::string reply(84, '\0');
  ASSERT_EQ(port.read(reply.data(), reply.size()), 84u);
  EXPECT_TRUE(pecMatches(reply.substr(0, 42))) << reply;
  const auto packets = chip.withChip([](Ft232rChip& c) { return c.packets(); });
  ASSERT_GE(packets.size(), before + 2);
  EXPECT_EQ(packets[before], 62u);
  EXPECT_EQ(packets[before + 1], 22u);
}

TEST_F(FtdiEmulation, AnIdleChipSendsStatusOnlyPacketsEveryLatencyPeriod) {
  EmulatedFtdi chip;
  FtdiPort port;
  port.open();
  port.setTimeouts(60, 60);
  const std::size_t before = chip.withChip([](Ft232rChip& c) { return c.packets().size(); });
  char buffer[8];
  const auto start = Clock::now();
  EXPECT_EQ(port.read(buffer, sizeof buffer), 0u);
  const auto took = Clock::now() - start;
  EXPECT_GE(took, 60ms);
  const auto packets = chip.withChip([](Ft232rChip& c) { return c.packets(); });
  const std::size_t idle = packets.size() - before;
  // Never more than one a latency period; and the host kept asking.
  EXPECT_LE(idle, static_cast<std::size_t>(took / 2ms) + 1);
  EXPECT_GE(idle, 3u);
  for (std::size_t i = before; i < packets.size(); ++i) EXPECT_EQ(packets[i], 0u);
}

TEST_F(FtdiEmulation, AVanishedDeviceEndsEveryTransactionQuicklyWithNothing) {
  EmulatedFtdi chip;
  BridgeLink link(std::make_unique<FtdiPort>());
  EXPECT_EQ(link.identify().substr(0, 9), "KESTRAV-2");
  chip.unplug();
  const auto start = Clock::now();
  EXPECT_EQ(link.read(ReadCommand::RDCFG, kReadConfig), 0u);
  EXPECT_EQ(link.identify(), std::string(link::kIdentifyBufferSize, ' '));
  EXPECT_EQ(link.read(ReadCommand::RDCFG, kReadConfig), 0u);
  EXPECT_LT(Clock::now() - start, 1s);
}

// What each wait of a transaction protects against, and that a
// transaction which heard its whole answer leaves nothing to wait for.

// A transaction on the port as BridgeLink runs one; the reply.
std::string transact(FtdiPort& port, const std::string& command, std::size_t count, int readMs = 1000) {
  port.open();
  port.setTimeouts(readMs, 1000);
  port.write(command);
  std::string reply(count, '\0');
  reply.resize(port.read(reply.data(), count));
  port.close();
  return reply;
}

// 100 "R" tokens: 204 characters come back, 18 ms of them at 115200 Bd.
const std::string kLongAnswer = "MSxT81T04" + std::string(100, 'R') + "X";

TEST_F(FtdiEmulation, AnAnswerThatCameAfterAReadGaveUpNeverOpensTheNextReply) {
  EmulatedFtdi chip;
  chip.withChip([](Ft232rChip& c) { c.setAnswerDelay(4ms); });  // a bridge slow to answer
  FtdiPort port;
  transact(port, kReadCells, 42, 0);  // gives up as the command has left the chip
  const std::string reply = transact(port, kReadConfig, 18);
  EXPECT_EQ(reply.substr(0, 4), "FFFF") << reply;
  EXPECT_TRUE(pecMatches(reply)) << reply;
}

TEST_F(FtdiEmulation, MoreThanAskedForNeverOpensTheNextReply) {
  EmulatedFtdi chip;
  FtdiPort port;
  port.open();
  port.setTimeouts(1000, 1000);
  port.write(kLongAnswer);
  std::this_thread::sleep_for(12ms);  // the answer has begun: its first packet holds more than 4
  char first[4];
  EXPECT_EQ(port.read(first, sizeof first), 4u);  // the rest still comes
  port.close();
  const std::string reply = transact(port, kReadConfig, 18);
  EXPECT_EQ(reply.substr(0, 4), "FFFF") << reply;
  EXPECT_TRUE(pecMatches(reply)) << reply;
}

TEST_F(FtdiEmulation, AnAnswerOnTheLineWhenTheDeviceIsClaimedNeverOpensTheFirstReply) {
  EmulatedFtdi chip;
  {
    FtdiPort before;  // a program that wrote and went
    before.open();
    before.setTimeouts(1000, 1000);
    before.write(kLongAnswer);
  }
  FtdiPort port;
  const std::string reply = transact(port, kReadConfig, 18);
  EXPECT_EQ(reply.substr(0, 4), "FFFF") << reply;
  EXPECT_TRUE(pecMatches(reply)) << reply;
}

TEST_F(FtdiEmulation, AfterAWholeAnswerTheNextTransactionOnlyPurges) {
  EmulatedFtdi chip;
  FtdiPort port;
  ASSERT_EQ(transact(port, kReadConfig, 18).size(), 18u);
  ASSERT_EQ(transact(port, kStartCells, 0).size(), 0u);  // a start: nothing to hear
  const auto [packets, requests] =
      chip.withChip([](Ft232rChip& c) { return std::pair(c.packets().size(), c.requests().size()); });
  port.open();
  chip.withChip([&](Ft232rChip& c) {
    EXPECT_EQ(c.packets().size(), packets) << "nothing read before the command";
    ASSERT_EQ(c.requests().size(), requests + 1);
    EXPECT_EQ(c.requests().back().request, 0x00);  // the purge of the receive side
    EXPECT_EQ(c.requests().back().value, 2);
  });
}

TEST_F(FtdiEmulation, AReadThatRunsToItsDeadlineKeepsTheDevice) {
  EmulatedFtdi chip;
  BridgeLink link(std::make_unique<FtdiPort>());
  for (int i = 0; i < 3; ++i) link.identify();  // each waits out its time-out
  ASSERT_EQ(link.read(ReadCommand::RDCFG, kReadConfig), 18u);
  int resets = 0;
  for (const auto& r : chip.withChip([](Ft232rChip& c) { return c.requests(); }))
    resets += r.request == 0x00 && r.value == 0;
  EXPECT_EQ(resets, 1) << "claimed once, never released and claimed again";
}

TEST_F(FtdiEmulation, TheReadTimeOutCountsFromWhenTheCommandLeftTheChip) {
  EmulatedFtdi chip;
  chip.withChip([](Ft232rChip& c) { c.setAnswerDelay(15ms); });
  FtdiPort port(9600);
  // 29 characters take 30 ms to leave the chip; the answer begins 15 ms
  // later, well inside a 30 ms time-out counted from there.
  const std::string reply = transact(port, kReadCells, 42, 30);
  EXPECT_EQ(reply.size(), 42u);
  EXPECT_TRUE(pecMatches(reply)) << reply;
}

std::string readText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

int lineCount(const std::string& text) {
  int n = 0;
  for (const char c : text) n += c == '\n';
  return n;
}

// A program of the build, started with stderr to `errFile`; it inherits
// the test bed (umockdev's preload and its folder) through the environment.
class Program {
 public:
  Program(const std::string& name, std::vector<std::string> args, const std::string& errFile) {
    const char* dir = std::getenv("KESTRAV_BUILD_DIR");
    const std::string binary = std::string(dir != nullptr ? dir : KESTRAV_BINARY_DIR) + "/" + name;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    args.insert(args.begin(), binary);
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (posix_spawn(&pid_, binary.c_str(), &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
  }
  ~Program() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
  }
  bool started() const { return pid_ > 0; }
  // The exit status, or nothing while it still runs after `limit`.
  std::optional<int> exitStatus(std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    int status = 0;
    while (::waitpid(pid_, &status, WNOHANG) != pid_) {
      if (Clock::now() > deadline) return std::nullopt;
      std::this_thread::sleep_for(20ms);
    }
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  pid_t pid_ = -1;
};

// kestrav-log on its default transport, the first FTDI device: the chip
// vanishes mid-run, and the run ends as for any lost bridge, the workbook
// and its journal saved.
TEST_F(FtdiEmulation, KestravLogEndsThroughTheLostBridgeWithBothFilesSaved) {
  EmulatedFtdi chip(boards(1));
  TempFolder folder;
  const std::string out = folder.file("vanished.xls");
  const std::string journal = folder.file("vanished.csv");
  const std::string err = folder.file("stderr.txt");
  Program log("kestrav-log", {"--boards", "1", "--seconds", "600", "--out", out}, err);
  ASSERT_TRUE(log.started());
  // Under way: the journal's header and two samples are on disk.
  const auto deadline = Clock::now() + 60s;
  while (lineCount(readText(journal)) < 3 && Clock::now() < deadline) std::this_thread::sleep_for(20ms);
  ASSERT_GE(lineCount(readText(journal)), 3) << readText(err);
  chip.unplug();
  const auto status = log.exitStatus(60s);
  ASSERT_TRUE(status.has_value()) << "still running after the chip vanished: " << readText(err);
  EXPECT_EQ(*status, 1) << readText(err);
  const std::string said = readText(err);
  const std::string last = said.substr(said.rfind("kestrav-log: "));
  // The chip may vanish in the middle of an identification's answer: then
  // the line names the part that came instead of "did not answer".
  EXPECT_EQ(last.rfind("kestrav-log: the bridge on FTDI device 0 ", 0), 0u) << last;
  const std::string saved =
      "; the datalog is saved in \"" + out + "\", its journal is \"" + journal + "\"\n";
  ASSERT_GE(last.size(), saved.size());
  EXPECT_EQ(last.substr(last.size() - saved.size()), saved);
  EXPECT_TRUE(std::filesystem::exists(out));
  EXPECT_GE(lineCount(readText(journal)), 3);
}

}  // namespace
}  // namespace kestrav::test
