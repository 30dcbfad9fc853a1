// The chips on the bus: addressing, registers, conversions, comparators and
// the PEC on every read.

#include <gtest/gtest.h>

#include <algorithm>

#include "SimHelpers.h"

namespace kestrav::sim {
namespace {

using namespace testing;

constexpr int kReads[] = {kRDCFG, kRDCV, kRDFLG, kRDTMP};

SimOptions boards(int n) {
  SimOptions o;
  o.boards = n;
  return o;
}

TEST(ChipConformance, EveryReadOfEveryBoardPassesItsPec) {
  Simulator sim(boards(10));
  for (int round = 0; round < 20; ++round) {
    sim.process(writeFrame(-1, {0xE0, static_cast<std::uint8_t>(round * 13), 0x00, 0x00, 0x90, 0x9C}));
    sim.process(startFrame(round % 3 ? kSTCVAD : kSTOWAD) + startFrame(kSTTMPAD));
    for (int a = 0x81; a <= 0x8A; ++a)
      for (int cmd : kReads) {
        const ReadReply r = read(sim, a, cmd);
        EXPECT_TRUE(r.complete) << r.text;
        EXPECT_TRUE(r.pecOk()) << std::hex << a << " " << cmd << " " << r.text;
      }
  }
}

TEST(ChipConformance, PowerUpStateReadsDefaultsAndZeroCodes) {
  Simulator sim(boards(2));
  EXPECT_EQ(read(sim, 0x82, kRDCFG).regs, (std::vector<std::uint8_t>{0xE0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(read(sim, 0x82, kRDCFG).pec, 0xA1);
  for (int cmd : {kRDCV, kRDFLG}) {
    const ReadReply r = read(sim, 0x81, cmd);
    EXPECT_TRUE(std::all_of(r.regs.begin(), r.regs.end(), [](auto b) { return b == 0; })) << r.text;
    EXPECT_TRUE(r.pecOk());
  }
}

TEST(ChipAddressing, AddressedWriteReachesOneChipBroadcastReachesAll) {
  Simulator sim(boards(4));
  const ConfigRegs mine{0xE9, 0x01, 0x20, 0x03, 0x5A, 0xA0};
  sim.process(writeFrame(0x83, mine));
  for (int a = 0x81; a <= 0x84; ++a) {
    const std::vector<std::uint8_t> expected =
        a == 0x83 ? std::vector<std::uint8_t>(mine.begin(), mine.end()) : std::vector<std::uint8_t>{0xE0, 0, 0, 0, 0, 0};
    EXPECT_EQ(read(sim, a, kRDCFG).regs, expected) << std::hex << a;
  }

  const ConfigRegs all{0xE2, 0, 0, 0, 0x7D, 0x9C};
  sim.process(writeFrame(-1, all));
  for (int a = 0x81; a <= 0x84; ++a)
    EXPECT_EQ(read(sim, a, kRDCFG).regs, std::vector<std::uint8_t>(all.begin(), all.end())) << std::hex << a;
}

TEST(ChipAddressing, AddressedStartConvertsOneChipBroadcastAll) {
  Simulator sim(boards(3));
  sim.process(startFrame(0x82, kSTCVAD));
  EXPECT_EQ(readCells(sim, 0x81)[0], 0);
  EXPECT_GT(readCells(sim, 0x82)[0], 0);
  EXPECT_EQ(readCells(sim, 0x83)[0], 0);
  sim.process(startFrame(kSTCVAD));
  for (int a = 0x81; a <= 0x83; ++a) EXPECT_GT(readCells(sim, a)[11], 0) << std::hex << a;
}

TEST(ChipAddressing, NobodyAtAnAddressReadsAllOnesThatFailThePec) {
  SimOptions o;
  o.addresses = {0x81, 0x82, 0x84};  // board 3 missing from the chain
  Simulator sim(o);
  sim.process(startFrame(kSTCVAD) + startFrame(kSTTMPAD));
  for (int cmd : kReads) {
    const ReadReply r = read(sim, 0x83, cmd);
    ASSERT_TRUE(r.complete);
    EXPECT_EQ(r.text, std::string(r.text.size(), 'F'));
    EXPECT_FALSE(r.pecOk()) << cmd;
    EXPECT_TRUE(read(sim, 0x84, cmd).pecOk());
  }
  // A read sent as a broadcast is obeyed by nobody.
  EXPECT_EQ(sim.process("MSxT04RRRX"), "FFFFFFFF");
}

TEST(ChipCells, CellsSitNearNominalWithSpreadAndAreReproducible) {
  Simulator a(boards(2)), b(boards(2));
  a.process(startFrame(kSTCVAD));
  b.process(startFrame(kSTCVAD));
  const CellCodes cells = readCells(a, 0x82);
  EXPECT_EQ(cells, readCells(b, 0x82));
  for (std::uint16_t c : cells) {
    EXPECT_GT(volts(c), 3.55);
    EXPECT_LT(volts(c), 3.65);
  }
  EXPECT_NE(*std::min_element(cells.begin(), cells.end()), *std::max_element(cells.begin(), cells.end()));
  EXPECT_NE(cells, readCells(a, 0x81));  // boards differ too

  SimOptions other = boards(2);
  other.seed = 99;
  Simulator c(other);
  c.process(startFrame(kSTCVAD));
  EXPECT_NE(readCells(c, 0x82), cells);
}

TEST(ChipCells, TenCellModeReadsTheTopTwoAsZero) {
  Simulator sim(boards(1));
  sim.process(writeFrame(0x81, {0xE8, 0, 0, 0, 0, 0}) + startFrame(kSTCVAD));
  const CellCodes cells = readCells(sim, 0x81);
  EXPECT_EQ(cells[10], 0);
  EXPECT_EQ(cells[11], 0);
  EXPECT_GT(cells[9], 0);
}

TEST(ChipCells, DischargePullsItsCellsDown) {
  Simulator sim(boards(2));
  sim.process(startFrame(kSTCVAD));
  const CellCodes before = readCells(sim, 0x81);
  // DCC1 and DCC8 in CFGR1, DCC12 in CFGR2.
  sim.process(writeFrame(0x81, {0xE0, 0x81, 0x08, 0, 0, 0}) + startFrame(kSTCVAD));
  const CellCodes after = readCells(sim, 0x81);
  for (int c = 0; c < kCells; ++c) {
    const double drop = volts(before[c]) - volts(after[c]);
    if (c == 0 || c == 7 || c == 11) {
      EXPECT_GT(drop, 0.02) << "cell " << c + 1;
      EXPECT_LT(drop, 0.15) << "cell " << c + 1;
    } else {
      EXPECT_LT(std::abs(drop), 0.01) << "cell " << c + 1;
    }
  }
}

TEST(ChipCells, OpenWireShowsInTheOpenWireConversion) {
  SimOptions o = boards(2);
  o.openWires = {{1, 5}};
  Simulator sim(o);
  sim.process(startFrame(kSTCVAD));
  EXPECT_GT(volts(readCells(sim, 0x82)[4]), 3.0);
  sim.process(startFrame(kSTOWAD));
  const CellCodes open = readCells(sim, 0x82);
  EXPECT_LT(volts(open[4]), 0.3);
  EXPECT_GT(volts(open[5]), 6.0);  // the cell above spans both
  EXPECT_GT(volts(readCells(sim, 0x81)[4]), 3.0);
}

TEST(ChipTemperatures, PlausibleVoltagesAndTheDieWarmsWhileDischarging) {
  Simulator sim(boards(1));
  sim.process(startFrame(kSTTMPAD));
  const ReadReply cold = read(sim, 0x81, kRDTMP);
  ASSERT_TRUE(cold.pecOk());
  const auto& t = cold.regs;
  const double etmp1 = volts(static_cast<std::uint16_t>(((t[1] & 0x0F) << 8) | t[0]));
  const double etmp2 = volts(static_cast<std::uint16_t>((t[2] << 4) | (t[1] >> 4)));
  const double itmp = volts(static_cast<std::uint16_t>(((t[4] & 0x0F) << 8) | t[3]));
  EXPECT_GT(etmp1, 1.0);
  EXPECT_LT(etmp1, 2.0);
  EXPECT_GT(etmp2, 1.0);
  EXPECT_LT(etmp2, 2.0);
  EXPECT_GT(itmp, 2.2);  // 8 mV/K near room temperature
  EXPECT_LT(itmp, 2.6);

  sim.process(writeFrame(0x81, {0xE0, 0xFF, 0x0F, 0, 0, 0}) + startFrame(kSTTMPAD));
  const auto& h = read(sim, 0x81, kRDTMP).regs;
  EXPECT_GT(volts(static_cast<std::uint16_t>(((h[4] & 0x0F) << 8) | h[3])), itmp + 0.05);
}

// Flags: cells sit near 3.6 V with a small spread.
std::vector<std::uint8_t> flagsAfter(const ConfigRegs& cfg) {
  Simulator sim(boards(1));
  sim.process(writeFrame(0x81, cfg) + startFrame(kSTCVAD));
  const ReadReply r = read(sim, 0x81, kRDFLG);
  EXPECT_TRUE(r.pecOk());
  return r.regs;
}

TEST(ChipFlags, ThresholdsRaiseUnderAndOverVoltage) {
  // VUV 0xAA = 4.08 V: every cell under.
  EXPECT_EQ(flagsAfter({0xE0, 0, 0, 0, 0xAA, 0}), (std::vector<std::uint8_t>{0x55, 0x55, 0x55}));
  // VOV 0x64 = 2.4 V: every cell over.
  EXPECT_EQ(flagsAfter({0xE0, 0, 0, 0, 0, 0x64}), (std::vector<std::uint8_t>{0xAA, 0xAA, 0xAA}));
  // Thresholds around the cells, and 0 = comparison off: nothing.
  EXPECT_EQ(flagsAfter({0xE0, 0, 0, 0, 0x7D, 0xAF}), (std::vector<std::uint8_t>{0, 0, 0}));
  EXPECT_EQ(flagsAfter({0xE0, 0, 0, 0, 0, 0}), (std::vector<std::uint8_t>{0, 0, 0}));
  // Both at once.
  EXPECT_EQ(flagsAfter({0xE0, 0, 0, 0, 0xAA, 0x64}), (std::vector<std::uint8_t>{0xFF, 0xFF, 0xFF}));
}

TEST(ChipFlags, MaskedCellsAndTenCellModeRaiseNothing) {
  // MCI1 and MCI4 (CFGR2 bits 4, 7), MCI5 and MCI12 (CFGR3 bits 0, 7).
  EXPECT_EQ(flagsAfter({0xE0, 0, 0x90, 0x81, 0xAA, 0}), (std::vector<std::uint8_t>{0x14, 0x54, 0x15}));
  EXPECT_EQ(flagsAfter({0xE8, 0, 0, 0, 0xAA, 0}), (std::vector<std::uint8_t>{0x55, 0x55, 0x05}));
}

TEST(ChipFlags, LatchAtConversionMaskActsAtOnce) {
  Simulator sim(boards(1));
  sim.process(writeFrame(0x81, {0xE0, 0, 0, 0, 0xAA, 0}));
  EXPECT_EQ(read(sim, 0x81, kRDFLG).regs, (std::vector<std::uint8_t>{0, 0, 0}));  // nothing converted yet
  sim.process(startFrame(kSTCVAD));
  EXPECT_EQ(read(sim, 0x81, kRDFLG).regs[0], 0x55);
  sim.process(writeFrame(0x81, {0xE0, 0, 0xF0, 0, 0xAA, 0}));
  EXPECT_EQ(read(sim, 0x81, kRDFLG).regs[0], 0x00);
}

TEST(ChipFlags, DischargeCanPushACellUnderItsThreshold) {
  Simulator sim(boards(1));
  sim.process(startFrame(kSTCVAD));
  const CellCodes cells = readCells(sim, 0x81);
  std::array<int, kCells> order{};
  for (int c = 0; c < kCells; ++c) order[c] = c;
  std::sort(order.begin(), order.end(), [&](int x, int y) { return cells[x] < cells[y]; });
  // The threshold sits just under the second-lowest cell, so only the
  // lowest cell, once discharging, falls below it.
  const auto vuv = static_cast<std::uint8_t>((volts(cells[order[1]]) - 0.004) / 0.024);
  const int lowest = order[0];
  ConfigRegs cfg{0xE0, 0, 0, 0, vuv, 0};
  if (lowest < 8) cfg[1] = static_cast<std::uint8_t>(1u << lowest);
  else cfg[2] = static_cast<std::uint8_t>(1u << (lowest - 8));
  sim.process(writeFrame(0x81, cfg) + startFrame(kSTCVAD));
  std::vector<std::uint8_t> expected(3, 0);
  expected[lowest / 4] = static_cast<std::uint8_t>(1u << (2 * (lowest % 4)));
  EXPECT_EQ(read(sim, 0x81, kRDFLG).regs, expected);
}

}  // namespace
}  // namespace kestrav::sim
