#include <gtest/gtest.h>

#include <set>
#include <string>

#include "display/CellStatus.h"
#include "support/MonitorFixture.h"

namespace kestrav::display {
namespace {

using state::statusIndex;
using test::MonitorFixture;

struct CellStatusTest : ::testing::Test {
  MonitorFixture f;
  context::Monitor& m = f.start();
  state::BoardStack& s = m.stack;

  int& status(int board, int cell) { return s.CELLstatus[statusIndex(board, cell)]; }
  void stackOf(int boards) { m.ui.Combo1.setListIndex(boards - 1); }
};

TEST_F(CellStatusTest, ConfigurationBitsGiveDischargeMaskedAndBothOverridingFlags) {
  // Cell 1: DCC and MCI (was UV); cell 2: DCC (was OV); cell 5: MCI (was OK);
  // cell 3: OV and no bits; cell 4: OK and no bits.
  s.board[0].CFGRset[1] = "03";  // DCC1, DCC2
  s.board[0].CFGRset[2] = "10";  // MCI1
  s.board[0].CFGRset[3] = "01";  // MCI5
  status(0, 1) = UV;
  status(0, 2) = OV;
  status(0, 3) = OV;
  status(0, 4) = OK;
  status(0, 5) = OK;
  SET_MCI_DCC_DISPLAY(m);
  EXPECT_EQ(status(0, 1), MD);
  EXPECT_EQ(status(0, 2), DC);
  EXPECT_EQ(status(0, 3), OV);
  EXPECT_EQ(status(0, 4), NR);
  EXPECT_EQ(status(0, 5), MI);
  EXPECT_TRUE(s.board[0].DCCbit[0]);
  EXPECT_TRUE(s.board[0].MCIbit[4]);
  EXPECT_FALSE(s.board[0].MCIbit[12]);

  // The top bits of each register reach cells 8, 12 (discharge) and 4, 12 (mask).
  s.board[0].CFGRset = {"E0", "80", "88", "80", "00", "00"};
  SET_MCI_DCC_DISPLAY(m);
  EXPECT_EQ(status(0, 8), DC);
  EXPECT_EQ(status(0, 4), MI);
  EXPECT_EQ(status(0, 12), MD);
  EXPECT_EQ(status(0, 1), NR);

  // Empty texts decode as no bits.
  s.board[0].CFGRset = {"", "", "", "", "", ""};
  SET_MCI_DCC_DISPLAY(m);
  for (int n = 1; n <= 12; ++n) EXPECT_NE(status(0, n), DC) << n;
  EXPECT_EQ(status(0, 12), NR);
}

TEST_F(CellStatusTest, FlagsMarkReadCellsButNeverADischargingOne) {
  s.board[0].CFGRset[1] = "01";  // cell 1 discharging
  s.board[0].CFGRset[2] = "20";  // cell 2 masked
  s.board[0].CFGRset[3] = "01";  // cell 5 masked
  SET_MCI_DCC_DISPLAY(m);
  // FLGR0: both flags of cells 1, 3 and 4, the UV flag of cell 2;
  // FLGR2: the OV flag of cell 12.
  s.board[0].FLGRread = {"F7", "00", "80"};
  SET_CELLstatus(m);
  EXPECT_EQ(status(0, 1), DC);
  EXPECT_EQ(status(0, 2), UV);
  EXPECT_EQ(status(0, 3), OV);
  EXPECT_EQ(status(0, 4), OV);
  EXPECT_EQ(status(0, 5), MI);
  EXPECT_EQ(status(0, 6), OK);
  EXPECT_EQ(status(0, 12), OV);

  // A flag read with empty texts clears every flag.
  s.board[0].FLGRread = {"", "", ""};
  SET_CELLstatus(m);
  EXPECT_EQ(status(0, 3), OK);
  EXPECT_EQ(status(0, 12), OK);
}

TEST_F(CellStatusTest, FlagReadTouchesTheSelectedBoardUnlessACycleRuns) {
  stackOf(3);
  for (int b = 0; b < 4; ++b) s.board[b].FLGRread = {"01", "00", "00"};
  s.BRDnumber = 1;
  SET_CELLstatus(m);
  EXPECT_EQ(status(1, 1), UV);
  EXPECT_EQ(status(1, 2), OK);
  EXPECT_EQ(status(0, 1), NR);
  EXPECT_EQ(status(2, 1), NR);

  s.OnOff = 1;
  SET_CELLstatus(m);
  EXPECT_EQ(status(0, 1), UV);
  EXPECT_EQ(status(2, 12), OK);
  EXPECT_EQ(status(3, 1), NR);  // outside the stack
}

TEST_F(CellStatusTest, ClearResetsTheSelectedBoardOrOnceTheWholeStack) {
  stackOf(5);
  s.CELLstatus.fill(OK);
  s.BRDnumber = 3;
  CLEAR_CELLstatus(m);
  for (int i = 0; i < 120; ++i) EXPECT_EQ(s.CELLstatus[i], (i >= 36 && i <= 47) ? NR : OK) << i;

  s.CELLstatus.fill(OK);
  s.CLEARALLstatus = 1;
  CLEAR_CELLstatus(m);
  for (int i = 0; i < 120; ++i) EXPECT_EQ(s.CELLstatus[i], i < 60 ? NR : OK) << i;
  EXPECT_EQ(s.CLEARALLstatus, 0);
}

TEST_F(CellStatusTest, PaintsOverviewAndCellSymbolsPerStatus) {
  struct Expected {
    int status;
    int top, height;
    std::uint32_t fill, body;
  };
  const Expected rows[] = {
      {NR, 600, 255, 0xFFFFFF, 0xFFFFFF}, {OK, 600, 255, 0x00FF00, 0xE0E0E0}, {DC, 720, 135, 0xFF8080, 0xE0E0E0},
      {UV, 720, 135, 0x00FFFF, 0xE0E0E0}, {OV, 480, 375, 0x0000FF, 0xE0E0E0}, {MI, 360, 495, 0xE0E0E0, 0xE0E0E0},
      {MD, 720, 135, 0x808080, 0xE0E0E0},
  };
  stackOf(2);
  s.BRDnumber = 1;
  s.BRDread = 1;
  for (int n = 1; n <= 7; ++n) status(1, n) = rows[n - 1].status;
  status(0, 1) = OV;
  DISPLAY_CELLstatus(m);
  for (int n = 1; n <= 7; ++n) {
    const Expected& e = rows[n - 1];
    EXPECT_EQ(m.ui.Shape1[12 + n - 1].fillColor(), e.fill) << n;
    EXPECT_EQ(m.ui.Shape2[n - 1].top(), e.top) << n;
    EXPECT_EQ(m.ui.Shape2[n - 1].height(), e.height) << n;
    EXPECT_EQ(m.ui.Shape2[n - 1].top() + m.ui.Shape2[n - 1].height(), 855) << n;
    EXPECT_EQ(m.ui.Shape2[n - 1].fillColor(), e.fill) << n;
    EXPECT_EQ(m.ui.Shape4[n - 1].fillColor(), e.body) << n;
  }
  EXPECT_EQ(m.ui.Shape1[0].fillColor(), 0x0000FFu);
}

TEST_F(CellStatusTest, RunningCycleRepaintsSymbolsOnlyOnTheSelectedBoardsPass) {
  stackOf(2);
  s.OnOff = 1;
  s.BRDnumber = 0;
  s.BRDread = 1;
  status(0, 1) = OV;
  status(1, 1) = UV;
  DISPLAY_CELLstatus(m);
  EXPECT_EQ(m.ui.Shape1[0].fillColor(), 0x0000FFu);
  EXPECT_EQ(m.ui.Shape1[12].fillColor(), 0x00FFFFu);
  EXPECT_EQ(m.ui.Shape2[0].fillColor(), 0xFFFFFFu);  // untouched
  s.BRDread = 0;
  DISPLAY_CELLstatus(m);
  EXPECT_EQ(m.ui.Shape2[0].fillColor(), 0x0000FFu);
}

TEST_F(CellStatusTest, SingleBoardStackVisitsOnlyItsTwelveCells) {
  for (context::Control& c : m.ui.Shape1) c.setFillColor(0x123456);
  s.CELLstatus.fill(OV);
  s.board[1].CFGRset[1] = "FF";
  s.board[1].FLGRread = {"55", "55", "55"};
  SET_MCI_DCC_DISPLAY(m);
  SET_CELLstatus(m);
  s.CLEARALLstatus = 1;
  CLEAR_CELLstatus(m);
  DISPLAY_CELLstatus(m);
  for (int i = 0; i < 120; ++i) {
    EXPECT_EQ(s.CELLstatus[i], i < 12 ? NR : OV) << i;
    EXPECT_EQ(m.ui.Shape1[i].fillColor(), i < 12 ? 0xFFFFFFu : 0x123456u) << i;
  }
  EXPECT_FALSE(s.board[1].DCCbit[0]);
}

TEST(CellStatusCodes, EveryStatusHasItsOwnColourAndLegends) {
  std::set<std::uint32_t> colours;
  for (int v = 0; v < kCellStatusCount; ++v) {
    const CellStatusCode& c = cellStatusCode(v);
    EXPECT_EQ(c.value, v);
    colours.insert(c.colour);
    EXPECT_EQ(std::string(c.statusLegend).substr(0, 5), std::string(c.shortName) + " = ");
  }
  EXPECT_EQ(colours.size(), 7u);
  EXPECT_EQ(cellStatusCode(-1).value, NR);
  EXPECT_EQ(cellStatusCode(7).value, NR);
}

}  // namespace
}  // namespace kestrav::display
