#include <gtest/gtest.h>

#include <set>
#include <string>

#include "config/ConfigRegisters.h"
#include "state/HexText.h"
#include "support/MonitorFixture.h"

namespace kestrav::config {
namespace {

using test::MonitorFixture;

const std::string kMode0Text =
    "|     Comparator Off     |                 Yes                |                   N/A                  | "
    "|      Standby Mode      |                                        |                                           |  ";
const std::string kMode7Text =
    "|            2000mS            |                 No                  |                   20mS              | "
    "|                                     |                                       |                                          |  ";

template <std::size_t N>
int rowBits(const std::array<context::Control, N>& row) {
  int v = 0;
  for (std::size_t i = 0; i < N; ++i) v |= row[i].value() << i;
  return v;
}

TEST(DutyCycle, ArrowsWrapAndKeepTheCdcBitsOfTheRegisterInStep) {
  MonitorFixture f;
  context::Monitor& m = f.start();
  const state::BoardRecord& r = m.stack.board[0];

  m.ui.Command0[0].raiseClick();  // down from 0
  EXPECT_EQ(r.CDCmode, 7);
  EXPECT_EQ(rowBits(m.ui.Check0) & 7, 7);
  EXPECT_EQ(m.ui.Text3.text(), kMode7Text);
  EXPECT_EQ(m.ui.Text3.foreColor(), context::kGrey);
  EXPECT_EQ(r.CFGRset[0], "E7");
  EXPECT_EQ(m.ui.Text4[0].text(), "   E7   ");

  m.ui.Command0[1].raiseClick();  // up from 7
  EXPECT_EQ(r.CDCmode, 0);
  EXPECT_EQ(rowBits(m.ui.Check0) & 7, 0);
  EXPECT_EQ(m.ui.Text3.text(), kMode0Text);
  EXPECT_EQ(r.CFGRset[0], "E0");

  // Every mode: its own description, and the register's low bits follow.
  std::set<std::string> texts;
  for (int mode = 1; mode <= 8; ++mode) {
    m.ui.Command0[1].raiseClick();
    EXPECT_EQ(r.CDCmode, mode % 8);
    EXPECT_EQ(state::leadingHexValue(r.CFGRset[0]), 0xE0 | (mode % 8)) << mode;
    texts.insert(m.ui.Text3.text());
  }
  EXPECT_EQ(texts.size(), 8u);
}

TEST(DutyCycle, ClickingACdcBoxDirectlyChangesTheRegisterButNotTheMode) {
  MonitorFixture f;
  context::Monitor& m = f.start();
  m.ui.Check0[1].setValue(1);
  EXPECT_EQ(m.stack.board[0].CFGRset[0], "E2");
  EXPECT_EQ(m.stack.board[0].CDCmode, 0);
  EXPECT_EQ(m.ui.Text3.text(), kMode0Text);
  // The next arrow press starts from the mode, and brings the boxes with it.
  m.ui.Command0[1].raiseClick();
  EXPECT_EQ(m.stack.board[0].CFGRset[0], "E1");
}

TEST(RegisterRows, EveryBoxBuildsItsRegisterShownGreyUntilWritten) {
  MonitorFixture f;
  context::Monitor& m = f.start();
  const state::BoardRecord& r = m.stack.board[0];
  // The window opens showing the default CFGR0 E0 in its boxes, so a first
  // click keeps the GPIO bits instead of driving both pins low.
  EXPECT_EQ(rowBits(m.ui.Check0), 0xE0);
  m.ui.Check0[4].setValue(1);
  EXPECT_EQ(r.CFGRset[0], "F0");

  m.ui.Check1[0].setValue(1);
  EXPECT_EQ(r.CFGRset[1], "01");
  for (context::Control& box : m.ui.Check1) box.setValue(1);
  EXPECT_EQ(r.CFGRset[1], "FF");

  for (int i = 0; i < 4; ++i) m.ui.Check2[i].setValue(1);
  EXPECT_EQ(r.CFGRset[2], "0F");
  EXPECT_EQ(m.ui.Text4[2].text(), "   0F   ");
  EXPECT_EQ(m.ui.Text4[2].foreColor(), context::kGrey);
  EXPECT_EQ(m.ui.Text4[2].backColor(), context::kWindowBackground);

  m.ui.Check3[7].setValue(1);
  EXPECT_EQ(r.CFGRset[3], "80");
  m.ui.Check3[7].setValue(0);
  EXPECT_EQ(r.CFGRset[3], "00");
}

TEST(CellLayout, TenCellBitHidesCellsElevenAndTwelveAndTheirBits) {
  MonitorFixture f;
  context::Monitor& m = f.start();
  for (context::Control& box : m.ui.Check0) box.setValue(0);
  m.ui.Check0[3].setValue(1);
  m.ui.Check0[7].setValue(1);
  EXPECT_EQ(m.stack.board[0].CFGRset[0], "88");
  for (int i : {10, 11}) {
    EXPECT_EQ(m.ui.Frame1[i].caption(), "") << i;
    for (const context::Control* c : {&m.ui.Shape2[i], &m.ui.Shape4[i], &m.ui.Shape5[i], &m.ui.Text1[i],
                                  &m.ui.Line7[i], &m.ui.Line9[i], &m.ui.Line10[i]})
      EXPECT_FALSE(c->visible()) << c->inventoryName();
  }
  for (const context::Control* c : {&m.ui.Check2[2], &m.ui.Check2[3], &m.ui.Check3[6], &m.ui.Check3[7]})
    EXPECT_FALSE(c->visible()) << c->inventoryName();
  EXPECT_TRUE(m.ui.Text1[9].visible());
  EXPECT_EQ(m.ui.Frame1[9].caption(), "CELL10");

  m.ui.Check0[3].setValue(0);
  EXPECT_EQ(m.stack.board[0].CFGRset[0], "80");
  EXPECT_EQ(m.ui.Frame1[10].caption(), "CELL11");
  EXPECT_EQ(m.ui.Frame1[11].caption(), "CELL12");
  for (int i : {10, 11}) {
    EXPECT_TRUE(m.ui.Shape2[i].visible());
    EXPECT_TRUE(m.ui.Line10[i].visible());
  }
  EXPECT_TRUE(m.ui.Check3[7].visible());
}

TEST(BoardSelection, EachBoardKeepsItsOwnRegistersAndDutyCycle) {
  MonitorFixture f;
  context::Monitor& m = f.start();
  m.ui.Combo1.setListIndex(2);
  // Board 1: duty cycle 2, ten cells, DCC1.
  m.ui.Command0[1].raiseClick();
  m.ui.Command0[1].raiseClick();
  m.ui.Check0[3].setValue(1);
  m.ui.Check1[0].setValue(1);
  EXPECT_EQ(m.stack.board[0].CFGRset[0], "EA");
  // Board 2: GPIO bits cleared, duty cycle 0, mask C12.
  m.ui.Command4[1].raiseClick();
  for (int i = 4; i < 8; ++i) m.ui.Check0[i].setValue(0);
  m.ui.Check3[7].setValue(1);
  EXPECT_EQ(m.stack.board[1].CFGRset[0], "00");
  EXPECT_TRUE(m.ui.Text1[11].visible());

  // Going back and forth never carries one board's bits into the other.
  for (int round = 0; round < 2; ++round) {
    m.ui.Command4[0].raiseClick();
    EXPECT_EQ(m.stack.board[0].CFGRset, (std::array<std::string, 6>{"EA", "01", "00", "00", "00", "00"}));
    EXPECT_EQ(rowBits(m.ui.Check0), 0xEA);
    EXPECT_EQ(rowBits(m.ui.Check1), 0x01);
    EXPECT_EQ(rowBits(m.ui.Check3), 0x00);
    EXPECT_FALSE(m.ui.Text1[11].visible());
    EXPECT_EQ(m.ui.Text3.text().substr(0, 20), "|              12mS ");

    m.ui.Command4[1].raiseClick();
    EXPECT_EQ(m.stack.board[1].CFGRset, (std::array<std::string, 6>{"00", "00", "00", "80", "00", "00"}));
    EXPECT_EQ(rowBits(m.ui.Check0), 0x00);
    EXPECT_EQ(rowBits(m.ui.Check3), 0x80);
    EXPECT_TRUE(m.ui.Text1[11].visible());
    EXPECT_EQ(m.ui.Text3.text(), kMode0Text);
  }
  EXPECT_EQ(m.stack.board[2].CFGRset[0], "E0");
}

TEST(ThresholdScope, OptionButtonsSetTheGlobalFlag) {
  MonitorFixture f;
  context::Monitor& m = f.start();
  m.ui.Option1[0].setValue(1);
  EXPECT_EQ(m.stack.GLOBALCFGRflag, 0);
  m.ui.Option1[1].setValue(1);
  EXPECT_EQ(m.stack.GLOBALCFGRflag, 1);
}

}  // namespace
}  // namespace kestrav::config
