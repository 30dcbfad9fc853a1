#include <gtest/gtest.h>

#include "config/BoardSelection.h"
#include "support/MonitorFixture.h"

namespace kestrav::config {
namespace {

using test::MonitorFixture;

TEST(StackSize, ShrinkingBelowTheSelectedBoardSelectsTheLastBoard) {
  MonitorFixture f;
  context::Monitor& m = f.start();
  m.ui.Combo1.setListIndex(9);
  m.ui.Command4[4].raiseClick();
  EXPECT_EQ(m.stack.BRDnumber, 4);
  EXPECT_EQ(m.ui.Image1.left(), 504 + 24 * 4);
  m.ui.Combo1.setListIndex(2);
  EXPECT_EQ(m.stack.CARDSTACK, 2);
  EXPECT_EQ(m.stack.BRDnumber, 2);
  EXPECT_EQ(m.ui.Label1.text(), "B O A R D # 3");
  EXPECT_EQ(m.ui.Label12.text(), "BOARD#   1      2      3");
  EXPECT_EQ(m.ui.Label15.text(), "ADDRESS 81    82    83");
  EXPECT_EQ(m.ui.Label9[1].left(), 536 + 24 * 2);
  for (int b = 0; b < 10; ++b) {
    EXPECT_EQ(m.ui.Command4[b].visible(), b <= 2) << b;
    EXPECT_EQ(m.ui.Shape12[b].visible(), b <= 2) << b;
    EXPECT_EQ(m.ui.Shape1[b * 12 + 11].visible(), b <= 2) << b;
  }
  m.ui.Combo1.setListIndex(9);
  EXPECT_EQ(m.stack.BRDnumber, 2);
  EXPECT_EQ(m.ui.Label12.text(), "BOARD#   1      2      3      4      5      6      7      8      9     10");
  EXPECT_EQ(m.ui.Label15.text(), "ADDRESS 81    82    83    84    85    86    87    88    89    8A");
}

TEST(BoardLabels, BoardOneAndBoardTenSpellings) {
  MonitorFixture f;
  context::Monitor& m = f.start();
  m.ui.Combo1.setListIndex(9);
  m.ui.Command4[9].raiseClick();
  EXPECT_EQ(m.ui.Label1.text(), "B O A R D # 1 0");
  EXPECT_EQ(m.ui.Label13[0].text(), "CUSTOM  BOARD #10");
  EXPECT_EQ(m.ui.Label14.text(), "SET/ DISPLAY BOARD#10 AT HEX ADDRESS");
  EXPECT_EQ(m.ui.Label18[0].text(), "BOARD#10 ONLY");
  EXPECT_EQ(m.ui.Label19[5].text(), "BRD#10");
  m.ui.Command4[0].raiseClick();
  EXPECT_EQ(m.ui.Label1.text(), "B O A R D # 1 ");
  EXPECT_EQ(m.ui.Label14.text(), "SET/ DISPLAY BOARD # 1 AT HEX ADDRESS");
}

TEST(Address, ChangingTheSelectedBoardsAddressRewritesButtonAndHeading) {
  MonitorFixture f;
  context::Monitor& m = f.start();
  m.ui.Combo1.setListIndex(9);
  m.ui.Command4[1].raiseClick();
  EXPECT_EQ(m.ui.Combo2.listIndex(), 2);
  m.ui.Combo2.setListIndex(15);
  EXPECT_EQ(m.stack.board[1].BRDaddress, "8F");
  EXPECT_EQ(m.ui.Command4[1].text(), "BRD# 2    0x8F");
  EXPECT_EQ(m.ui.Label15.text(), "ADDRESS 81    8F    83    84    85    86    87    88    89    8A");
  EXPECT_EQ(m.stack.board[0].BRDaddress, "81");
}

TEST(Broadcast, BoxesStoreIntoTheSelectedBoardAndCarryOverOnSelection) {
  MonitorFixture f;
  context::Monitor& m = f.start();
  m.ui.Combo1.setListIndex(3);
  m.ui.Check5[5].setValue(1);
  EXPECT_EQ(m.stack.board[0].BCASTflag[5], 1);
  EXPECT_EQ(m.ui.Check5[5].text(), "BROADCAST");
  EXPECT_EQ(m.ui.Check5[5].width(), 113);
  EXPECT_FALSE(m.ui.Label19[5].visible());
  m.ui.Command4[2].raiseClick();
  EXPECT_EQ(m.ui.Check5[5].value(), 1);
  EXPECT_EQ(m.stack.board[2].BCASTflag[5], 1);
  m.ui.Check5[5].setValue(0);
  EXPECT_EQ(m.ui.Check5[5].text(), "B'CAST");
  EXPECT_EQ(m.ui.Check5[5].width(), 57);
  EXPECT_TRUE(m.ui.Label19[5].visible());
  EXPECT_EQ(m.ui.Label19[5].text(), "BRD#3");

  // A running cycle (which ticks the temperature broadcast) keeps its own
  // board; unticking that broadcast brings the cycle to the selected board.
  m.ui.Check5[4].setValue(1);
  m.stack.OnOff = 1;
  m.stack.BRDread = 1;
  m.ui.Command4[3].raiseClick();
  EXPECT_EQ(m.stack.BRDread, 1);
  m.ui.Check5[4].setValue(0);
  EXPECT_EQ(m.stack.BRDread, 3);
}

}  // namespace
}  // namespace kestrav::config
