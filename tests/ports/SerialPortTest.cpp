// The serial port against a fake bridge on a pseudo-terminal, and on paths
// where no bridge is.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <thread>

#include "link/BridgeLink.h"
#include "link/ports/SerialPort.h"
#include "ports/FakeBridge.h"

namespace kestrav::link {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using test::FakeBridge;

const std::string kReadConfig = "MSxT81T02RRRRRRRX";
const std::string kConfigReply = "8102E1000000000047";  // 18 characters
const std::string kWriteConfig = "MSxT81T01SE0S00S00S00S00S00X";
const std::string kBlankIdentification(kIdentifyBufferSize, ' ');

template <class F>
std::chrono::steady_clock::duration timed(F f) {
  const auto start = std::chrono::steady_clock::now();
  f();
  return std::chrono::steady_clock::now() - start;
}

struct TempDir {
  fs::path path;
  TempDir() {
    std::string pattern = (fs::temp_directory_path() / "kestrav-ports-XXXXXX").string();
    path = ::mkdtemp(pattern.data());
  }
  ~TempDir() { fs::remove_all(path); }
};

// Points `link` at `target` in one step, as udev re-points a by-id link
// when the adapter comes back.
void pointAt(const fs::path& link, const std::string& target) {
  const fs::path fresh = link.string() + ".new";
  fs::create_symlink(target, fresh);
  fs::rename(fresh, link);
}

TEST(SerialPortOverPty, IdentificationAndReadsComeBackWhole) {
  FakeBridge bridge;
  bridge.setFrameReply(kConfigReply);
  BridgeLink link(std::make_unique<SerialPort>(bridge.path()));

  const std::string id = link.identify();
  EXPECT_EQ(id.substr(0, FakeBridge::kName.size()), FakeBridge::kName);
  EXPECT_EQ(id.substr(FakeBridge::kName.size()), std::string(128 - FakeBridge::kName.size(), ' '));

  EXPECT_EQ(link.read(ReadCommand::RDCFG, kReadConfig), 18u);
  EXPECT_EQ(link.reply(ReadCommand::RDCFG), kConfigReply);
  EXPECT_EQ(bridge.received(), "IZ" + kReadConfig);  // byte for byte, nothing echoed or added
}

TEST(SerialPortOverPty, TtyIsRaw8N1AtTheChosenRate) {
  FakeBridge bridge;
  SerialPort port(bridge.path(), 9600);
  port.open();
  const termios tio = bridge.hostSettings();
  EXPECT_EQ(cfgetospeed(&tio), static_cast<speed_t>(B9600));
  EXPECT_EQ(tio.c_cflag & (CSIZE | PARENB | CSTOPB), static_cast<tcflag_t>(CS8));
  EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG), 0u);
  EXPECT_EQ(tio.c_iflag & (ICRNL | IXON | ISTRIP), 0u);
  EXPECT_EQ(tio.c_oflag & OPOST, 0u);
}

TEST(SerialPortOverPty, UnsupportedBaudRateSendsNothing) {
  FakeBridge bridge;
  BridgeLink refused(std::make_unique<SerialPort>(bridge.path(), 12345));
  EXPECT_EQ(refused.identify(), kBlankIdentification);
  // A working port afterwards: the bridge has seen its command only.
  BridgeLink working(std::make_unique<SerialPort>(bridge.path(), 115200));
  working.identify();
  EXPECT_EQ(bridge.received(), "IZ");
  // The same judgement is offered to the command line before any port exists.
  EXPECT_FALSE(SerialPort::supportsBaud(12345));
  EXPECT_FALSE(SerialPort::supportsBaud(0));
  EXPECT_TRUE(SerialPort::supportsBaud(115200));
  EXPECT_TRUE(SerialPort::supportsBaud(9600));
}

TEST(SerialPortOverPty, InputWaitingBeforeATransactionIsDiscarded) {
  FakeBridge bridge;
  bridge.setFrameReply(kConfigReply);
  BridgeLink link(std::make_unique<SerialPort>(bridge.path()));

  bridge.send("noise before the first open");
  ASSERT_TRUE(bridge.waitForInputAtHost());
  EXPECT_EQ(link.read(ReadCommand::RDCFG, kReadConfig), 18u);
  EXPECT_EQ(link.reply(ReadCommand::RDCFG), kConfigReply);

  // The bridge answers the "T" tokens of a write too; the write takes
  // those characters itself, so they never open the next reply.
  link.send(kWriteConfig);
  EXPECT_EQ(link.read(ReadCommand::RDCFG, kReadConfig), 18u);
  EXPECT_EQ(link.reply(ReadCommand::RDCFG), kConfigReply);

  // Whatever else arrives between two transactions is thrown away.
  bridge.send("late noise");
  ASSERT_TRUE(bridge.waitForInputAtHost());
  EXPECT_EQ(link.read(ReadCommand::RDCFG, kReadConfig), 18u);
  EXPECT_EQ(link.reply(ReadCommand::RDCFG), kConfigReply);
}

// A reply that ended short may still be coming: its tail is listened out
// before the transaction ends, so it can never open the next reply. (A reply
// that came whole is followed by no such wait.)
TEST(SerialPortOverPty, TheTailOfAShortReplyNeverOpensTheNextOne) {
  FakeBridge bridge;
  bridge.setFrameReply("");  // this bridge answers only what the test sends
  SerialPort port(bridge.path(), 115200, 1000);  // a wide quiet margin for a loaded machine
  std::thread bridgeSide([&] {
    // The first reply comes late: its read has given up by then.
    std::this_thread::sleep_for(100ms);
    bridge.send("8102E1000000");
    // The second comes as soon as the second command is there.
    while (bridge.received() != kReadConfig + kReadConfig) std::this_thread::sleep_for(1ms);
    bridge.send(kConfigReply);
  });
  char buffer[18] = {};
  port.open();
  port.setTimeouts(50, 50);
  port.write(kReadConfig);
  EXPECT_EQ(port.read(buffer, 18), 0u);
  port.close();

  port.open();
  port.setTimeouts(3000, 50);
  port.write(kReadConfig);
  EXPECT_EQ(port.read(buffer, 18), 18u);
  bridgeSide.join();
  EXPECT_EQ(std::string(buffer, 18), kConfigReply);
  port.close();
}

TEST(SerialPortOverPty, ReadGathersPiecesAndStopsAtItsDeadline) {
  FakeBridge bridge;
  SerialPort port(bridge.path());
  port.open();
  port.setTimeouts(1000, 50);
  char buffer[18] = {};

  std::thread pieces([&] {
    for (const char* piece : {"8102", "E1000", "000000", "047"}) {
      bridge.send(piece);
      std::this_thread::sleep_for(20ms);
    }
  });
  EXPECT_EQ(port.read(buffer, 18), 18u);
  pieces.join();
  EXPECT_EQ(std::string(buffer, 18), "8102E1000000000047");

  // A short reply: what arrived, once the time-out ran out.
  bridge.send("8102E10000");
  port.setTimeouts(100, 50);
  EXPECT_EQ(port.read(buffer, 18), 10u);
  EXPECT_EQ(std::string(buffer, 10), "8102E10000");

  // A bridge that keeps trickling cannot stretch the read: the time-out
  // bounds the whole read, not the gap between two characters.
  std::atomic<bool> stop{false};
  std::thread trickle([&] {
    while (!stop) {
      bridge.send("A");
      std::this_thread::sleep_for(20ms);
    }
  });
  char big[128];
  std::size_t got = 0;
  EXPECT_LT(timed([&] { got = port.read(big, sizeof big); }), 2s);
  stop = true;
  trickle.join();
  EXPECT_GT(got, 0u);
  EXPECT_LT(got, sizeof big);
}

TEST(SerialPortOverPty, UnpluggedBridgeDeliversNothingAndIsFoundAgain) {
  TempDir dir;
  const fs::path byId = dir.path / "bridge";
  auto bridge = std::make_unique<FakeBridge>();
  pointAt(byId, bridge->path());
  BridgeLink link(std::make_unique<SerialPort>(byId.string()));
  EXPECT_EQ(link.identify().substr(0, 9), "KESTRAV-2");

  // Unplugged while a read waits for its reply.
  std::thread unplug([&] {
    std::this_thread::sleep_for(100ms);
    bridge->unplug();
  });
  std::size_t got = 99;
  EXPECT_LT(timed([&] { got = link.read(ReadCommand::RDCFG, kReadConfig); }), 3s);
  unplug.join();
  EXPECT_EQ(got, 0u);

  EXPECT_LT(timed([&] {
              EXPECT_EQ(link.identify(), kBlankIdentification);
              link.send(kWriteConfig);
              EXPECT_EQ(link.read(ReadCommand::RDCV, "MSxT81T04" + std::string(19, 'R') + "X"), 0u);
            }),
            3s);

  bridge = std::make_unique<FakeBridge>();
  pointAt(byId, bridge->path());
  EXPECT_EQ(link.identify().substr(0, 9), "KESTRAV-2");
}

TEST(SerialPortWithoutDevice, EveryCallIsHarmless) {
  TempDir dir;
  const fs::path plainFile = dir.path / "not-a-tty";
  std::ofstream(plainFile).close();

  for (const fs::path& path : {dir.path / "missing", plainFile}) {
    SCOPED_TRACE(path.string());
    SerialPort port(path.string());
    char buffer[42];
    std::size_t got = 99;
    EXPECT_LT(timed([&] {
                port.open();
                port.setTimeouts(1000, 1000);
                port.write(kReadConfig);
                got = port.read(buffer, sizeof buffer);
                port.close();
              }),
              2s);
    EXPECT_EQ(got, 0u);
  }
  EXPECT_EQ(fs::file_size(plainFile), 0u);  // commands never land in a file
}

}  // namespace
}  // namespace kestrav::link
