// The simulator behind the bridge port, as the link uses it.

#include <gtest/gtest.h>

#include "SimHelpers.h"
#include "link/ports/SimulatedPort.h"

namespace kestrav::sim {
namespace {

using namespace testing;

std::string readAll(link::SimulatedPort& port, std::size_t count) {
  std::string buf(count, '\0');
  buf.resize(port.read(buf.data(), count));
  return buf;
}

TEST(SimulatedPort, TransactionReadsItsOwnReplyOnly) {
  link::SimulatedPort port(std::make_shared<Simulator>(), false);
  port.open();
  port.setTimeouts(1000, 1000);
  port.write("MSxT01SE0S00S00S00S00S00X");  // answers "FF" that nobody reads
  port.close();

  port.open();
  port.write(readFrame(0x81, kRDCFG));
  const std::string reply = readAll(port, 18);
  port.close();
  EXPECT_TRUE(parseRead(reply, 6).pecOk()) << reply;
}

TEST(SimulatedPort, OpenForgetsAnUnfinishedFrame) {
  link::SimulatedPort port(std::make_shared<Simulator>(), false);
  port.open();
  port.write("MSxT81T01SE8S00S00");
  port.open();
  port.write("S00S00S00X");
  port.write(readFrame(0x81, kRDCFG));
  EXPECT_EQ(readAll(port, 18).substr(4, 2), "E0");
}

TEST(SimulatedPort, ShortOfCharactersReturnsWhatArrivedInParts) {
  link::SimulatedPort port(std::make_shared<Simulator>(), false);
  port.open();
  port.setTimeouts(1000, 1000);
  port.write("IZ");
  const std::string first = readAll(port, 10);
  const std::string rest = readAll(port, 50);
  EXPECT_EQ(first + rest, "KESTRAV-2 SPI BRIDGE V1.0\r\n");
  EXPECT_EQ(readAll(port, 5), "");
}

TEST(SimulatedPort, BacklogIsBounded) {
  link::SimulatedPort port(std::make_shared<Simulator>(), false);
  port.open();
  for (int i = 0; i < 50; ++i) port.write(std::string(20'000, 'I'));
  EXPECT_EQ(readAll(port, 1'000'000).size(), link::SimulatedPort::kMaxPending);
}

}  // namespace
}  // namespace kestrav::sim
