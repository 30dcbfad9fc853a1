// The modelled serial line and USB adapter: when the bridge's answers reach
// the host.

#include <gtest/gtest.h>

#include <chrono>

#include "SimHelpers.h"
#include "link/ports/SimulatedPort.h"
#include "sim/BridgeFirmware.h"
#include "sim/BridgeLine.h"
#include "sim/LineTiming.h"

namespace kestrav::sim {
namespace {

using namespace testing;
using namespace std::chrono_literals;
using Clock = BridgeLine::Clock;

constexpr LineSettings kBench{kUsbBridgeBaud, kUsbBridgeLatencyMs};
constexpr LineDuration kChar = characterTime(kUsbBridgeBaud);

TEST(LineTiming, CharactersTakeTenBitsAndTheAdapterHoldsShortAnswers) {
  EXPECT_EQ(kChar, 86805ns);
  EXPECT_EQ(lineTime(29, 42, kUsbBridgeBaud), 71 * kChar);
  // RDCV: the first answer character lands one character after the 29
  // written and starts the 2 ms timer; the 24 landed by then go, the 25th
  // starts it again and waits 2 ms with the rest of the reply.
  EXPECT_EQ(transactionTime(29, 42, kBench), 54 * kChar + 2ms);
  // RDFLG: the 12 characters all land within one timer period.
  EXPECT_EQ(transactionTime(14, 12, kBench), 15 * kChar + 2ms);
  // A write-only command is done when its last character is on the wire.
  EXPECT_EQ(transactionTime(7, 0, kBench), 7 * kChar);
  // No line at all: the answer is there at once.
  EXPECT_EQ(transactionTime(29, 42, {}), 0ns);
}

TEST(LineTiming, APacketsWorthGoesWithoutWaitingForTheTimer) {
  UsbHold hold(16ms);
  for (int k = 1; k <= 100; ++k) hold.schedule(k * kChar);
  EXPECT_EQ(hold.nextDelivery(), 62 * kChar);
  EXPECT_EQ(hold.advance(62 * kChar - 1ns), 0u);
  EXPECT_EQ(hold.advance(62 * kChar), 62u);
  EXPECT_EQ(hold.nextDelivery(), 63 * kChar + 16ms);
  EXPECT_EQ(hold.advance(63 * kChar + 16ms - 1ns), 0u);
  EXPECT_EQ(hold.advance(1s), 38u);
  EXPECT_EQ(hold.nextDelivery(), std::nullopt);
}

TEST(BridgeLine, AnswersReachTheHostWhenTheModelSays) {
  Simulator simulator;
  BridgeLine line(simulator, kBench);
  const Clock::time_point t0 = Clock::time_point{} + 1h;
  const std::string frame = readFrame(0x81, kRDFLG);  // 14 characters, 12 answered
  line.hostWrote(frame, t0);
  const Clock::time_point due = t0 + transactionTime(frame.size(), 12, kBench);
  EXPECT_EQ(line.nextDelivery(), due);
  EXPECT_EQ(line.take(due - 1ns), "");
  const ReadReply r = parseRead(line.take(due), 3);
  EXPECT_TRUE(r.pecOk()) << r.text;
  EXPECT_EQ(line.nextDelivery(), std::nullopt);

  // A command written while the wire is still busy waits its turn: two
  // identifications written at once are answered one after the other.
  const Clock::time_point t1 = t0 + 1s;
  line.hostWrote("IZIZ", t1);
  const std::string answer = identificationAnswer("KESTRAV-2");
  Clock::time_point last = t1;
  std::string both;
  while (const auto next = line.nextDelivery()) {
    last = *next;
    both += line.take(*next);
  }
  EXPECT_EQ(both, answer + answer);
  EXPECT_GT(last, t1 + transactionTime(2, answer.size(), kBench));

  // Forgotten answers never arrive.
  line.hostWrote("IZ", t0 + 3s);
  line.clear();
  EXPECT_EQ(line.nextDelivery(), std::nullopt);
  EXPECT_EQ(line.take(t0 + 4s), "");
}

TEST(SimulatedPortOnTheLine, ARealTimeReadWaitsForTheLineAndNoLonger) {
  SimOptions options;
  useUsbBridgeLine(options);
  link::SimulatedPort port(std::make_shared<Simulator>(options), true);
  port.open();
  port.setTimeouts(1000, 1000);
  const std::string frame = readFrame(0x81, kRDCV);
  const auto start = Clock::now();
  port.write(frame);
  std::string reply(42, '\0');
  ASSERT_EQ(port.read(reply.data(), 42), 42u);
  EXPECT_GE(Clock::now() - start, transactionTime(frame.size(), 42, kBench));
  EXPECT_TRUE(parseRead(reply, kCellBytes).pecOk()) << reply;

  // The zero-latency mode of the tests keeps answering at once.
  link::SimulatedPort instant(std::make_shared<Simulator>(options), false);
  instant.open();
  instant.write(frame);
  EXPECT_EQ(instant.read(reply.data(), 42), 42u);
}

}  // namespace
}  // namespace kestrav::sim
