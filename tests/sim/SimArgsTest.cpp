// The kestrav-sim command line.

#include <gtest/gtest.h>

#include "sim/SimArgs.h"

namespace kestrav::sim {
namespace {

TEST(SimArgs, EveryOptionLandsInTheOptions) {
  const SimArgs a = parseSimArgs({"--boards", "4", "--seed", "42", "--corrupt", "0.1", "--short", "0.2", "--drop",
                                  "0.3", "--unplug-after", "100", "--identity", "OTHERCHIP", "--open-wire", "2:7",
                                  "--cell-volts", "3.3", "--line-baud", "115200", "--usb-latency-ms", "2"});
  ASSERT_EQ(a.error, "");
  EXPECT_EQ(a.options.boards, 4);
  EXPECT_EQ(a.options.seed, 42u);
  EXPECT_DOUBLE_EQ(a.options.corruptShare, 0.1);
  EXPECT_DOUBLE_EQ(a.options.shortShare, 0.2);
  EXPECT_DOUBLE_EQ(a.options.dropShare, 0.3);
  EXPECT_EQ(a.options.unplugAfter, 100);
  EXPECT_EQ(a.options.identity, "OTHERCHIP");
  ASSERT_EQ(a.options.openWires.size(), 1u);
  EXPECT_EQ(a.options.openWires[0].board, 1);
  EXPECT_EQ(a.options.openWires[0].cell, 7);
  EXPECT_DOUBLE_EQ(a.options.cellVolts, 3.3);
  EXPECT_EQ(a.options.lineBaud, 115200);
  EXPECT_EQ(a.options.usbLatencyMs, 2);
  EXPECT_FALSE(a.help);
}

TEST(SimArgs, AddressesAreHex) {
  const SimArgs a = parseSimArgs({"--addresses", "81,0x82,8A"});
  ASSERT_EQ(a.error, "");
  EXPECT_EQ(a.options.addresses, (std::vector<int>{0x81, 0x82, 0x8A}));
}

TEST(SimArgs, RejectsWhatItCannotServe) {
  for (const auto& bad : std::vector<std::vector<std::string>>{{"--boards", "16"},
                                                                 {"--boards", "x"},
                                                                 {"--addresses", "90"},
                                                                 {"--addresses", "81,,82"},
                                                                 {"--corrupt", "1.5"},
                                                                 {"--drop", "0.6", "--short", "0.6"},
                                                                 {"--unplug-after", "-2"},
                                                                 {"--open-wire", "1:13"},
                                                                 {"--seed"},
                                                                 {"--line-baud", "-9600"},
                                                                 {"--line-baud", "fast"},
                                                                 {"--usb-latency-ms", "256"},
                                                                 {"--frobnicate", "1"}})
    EXPECT_NE(parseSimArgs(bad).error, "") << bad[0];
  EXPECT_TRUE(parseSimArgs({"--help"}).help);
}

TEST(SimArgs, AnOptionInPlaceOfAValueIsAMissingValue) {
  EXPECT_EQ(parseSimArgs({"--identity", "--boards", "3"}).error, "missing value for --identity");
  EXPECT_EQ(parseSimArgs({"--boards", "--seed", "4"}).error, "missing value for --boards");
  EXPECT_EQ(parseSimArgs({"--cell-volts", "-1"}).error, "bad value for --cell-volts: -1") << "one dash is a value";
}

}  // namespace
}  // namespace kestrav::sim
