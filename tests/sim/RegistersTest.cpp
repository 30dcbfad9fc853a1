// Byte layouts of the register groups, pinned to worked examples.

#include <gtest/gtest.h>

#include "sim/Registers.h"

namespace kestrav::sim {
namespace {

TEST(RegisterLayout, CellPairsShareThreeBytes) {
  CellCodes codes{};
  codes[0] = 0x412;
  codes[1] = 0x563;
  codes[10] = 0xABC;
  codes[11] = 0xDEF;
  const auto bytes = packCells(codes);
  EXPECT_EQ(bytes[0], 0x12);
  EXPECT_EQ(bytes[1], 0x34);
  EXPECT_EQ(bytes[2], 0x56);
  EXPECT_EQ(bytes[15], 0xBC);
  EXPECT_EQ(bytes[16], 0xFA);
  EXPECT_EQ(bytes[17], 0xDE);
  EXPECT_EQ(unpackCells(bytes), codes);

  CellCodes full{};
  full.fill(0xFFF);
  for (auto b : packCells(full)) EXPECT_EQ(b, 0xFF);
}

TEST(RegisterLayout, TemperaturesAndTheStatusNibble) {
  const auto bytes = packTemps({0x234, 0x561, 0x978}, 0xF);
  const std::array<std::uint8_t, kTempBytes> expected{0x34, 0x12, 0x56, 0x78, 0xF9};
  EXPECT_EQ(bytes, expected);
}

TEST(RegisterLayout, VoltsToCodeRoundsAndClamps) {
  EXPECT_EQ(voltsToCode(0.0), 0);
  EXPECT_EQ(voltsToCode(-1.0), 0);
  EXPECT_EQ(voltsToCode(6.144), 4095);
  EXPECT_EQ(voltsToCode(9.0), 4095);
  EXPECT_EQ(voltsToCode(3.6), 2399);  // 3.6 * 4095 / 6.144 = 2399.4
  EXPECT_EQ(voltsToCode(0.0015), 1);
}

TEST(RegisterLayout, ComparatorsAreStrictAndOffAtZero) {
  ConfigRegs cfg{0xE0, 0, 0, 0, 150, 150};  // both thresholds 3.600 V
  CellCodes codes{};
  codes.fill(voltsToCode(3.7));
  codes[0] = voltsToCode(3.5);
  codes[1] = 2399;  // 3.5997 V, just under
  codes[2] = 2400;  // 3.6012 V, just over
  const Comparison cmp = compareCells(codes, cfg);
  EXPECT_TRUE(cmp.under[0] && !cmp.over[0]);
  EXPECT_TRUE(cmp.under[1] && !cmp.over[1]);
  EXPECT_TRUE(!cmp.under[2] && cmp.over[2]);
  cfg[4] = cfg[5] = 0;
  const Comparison off = compareCells(codes, cfg);
  for (int c = 0; c < kCells; ++c) EXPECT_FALSE(off.under[c] || off.over[c]);
}

}  // namespace
}  // namespace kestrav::sim
