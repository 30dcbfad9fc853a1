#include <gtest/gtest.h>

#include "commands/WriteConfig.h"
#include "support/MonitorFixture.h"

namespace kestrav::commands {
namespace {

using test::MonitorFixture;

TEST(WriteConfig, SendsTheSelectedBoardsBytesAddressedOrBroadcastInOneWriteOnlyTransaction) {
  MonitorFixture f;
  context::Monitor& m = f.start();
  f.script->ops.clear();
  f.script->written.clear();
  WRCFG_BROADCAST(m);
  // The two characters the bridge answers for each "T" token are taken
  // within the same transaction.
  EXPECT_EQ(f.script->ops, (std::vector<std::string>{"open", "timeouts 1000/1000",
                                                     "write MSxT81T01SE0S00S00S00S00S00X", "read 4", "close"}));
  m.ui.Check5[5].setValue(1);
  WRCFG_BROADCAST(m);
  EXPECT_EQ(f.script->written.back(), "MSxT01SE0S00S00S00S00S00X");

  // What the window prepared is what goes out.
  m.ui.Check5[5].setValue(0);
  m.ui.Combo1.setListIndex(2);
  m.ui.Command4[2].raiseClick();
  m.ui.Command0[0].raiseClick();  // duty cycle 7
  m.ui.Check1[0].setValue(1);
  m.ui.Check3[7].setValue(1);
  m.stack.board[2].VUVcode = 129;
  m.stack.board[2].VOVcode = 175;
  m.ui.Command4[2].raiseClick();
  WRCFG_BROADCAST(m);
  EXPECT_EQ(f.script->written.back(), "MSxT83T01SE7S01S00S80S81SAFX");
}

TEST(WriteConfig, ShowsThePreparedConfigurationAsWrittenAndForgetsTheReadBack) {
  MonitorFixture f;
  context::Monitor& m = f.start();
  m.ui.Command0[1].raiseClick();
  m.ui.Command2[3].raiseClick();
  m.ui.Command2[1].raiseClick();
  ASSERT_EQ(m.ui.Text4[0].foreColor(), context::kGrey);
  m.ui.Text4[3].setBackColor(0x0000FF);
  m.stack.RDCFGflag = 1;
  WRCFG_BROADCAST(m);
  for (const context::Control& box : m.ui.Text4) {
    EXPECT_EQ(box.foreColor(), context::kBlack) << box.inventoryName();
    EXPECT_EQ(box.backColor(), context::kWindowBackground) << box.inventoryName();
  }
  EXPECT_EQ(m.ui.Text3.foreColor(), context::kBlack);
  EXPECT_EQ(m.ui.Text2[0].foreColor(), context::kBlack);
  EXPECT_EQ(m.ui.Text2[1].foreColor(), context::kBlack);
  EXPECT_EQ(m.stack.RDCFGflag, 0);
  // The write reads nothing back.
  EXPECT_EQ(m.stack.board[0].CFGRread, (std::array<std::string, 6>{}));
}

struct GlobalThresholds : ::testing::Test {
  MonitorFixture f;
  context::Monitor& m = f.start();
  state::BoardStack& s = m.stack;

  // Four boards with distinct registers; three of them in the stack; board
  // index 1 selected with thresholds 5A / A0.
  void SetUp() override {
    m.ui.Combo1.setListIndex(3);
    for (int b = 0; b < 4; ++b) {
      s.board[b].CFGRset = {"E" + std::to_string(b), "0" + std::to_string(b), "1" + std::to_string(b),
                            "2" + std::to_string(b), "3" + std::to_string(b), "4" + std::to_string(b)};
      s.board[b].VUVcode = 0x30 + b;
      s.board[b].VOVcode = 0x40 + b;
      s.board[b].CDCmode = b;
    }
    m.ui.Combo1.setListIndex(2);
    m.ui.Command4[1].raiseClick();
    s.board[1].VUVcode = 0x5A;
    s.board[1].VOVcode = 0xA0;
    m.ui.Command4[1].raiseClick();
  }
};

TEST_F(GlobalThresholds, CopiedToEveryBoardOfTheStackAndKeptThroughSelection) {
  ASSERT_EQ(s.GLOBALCFGRflag, 1);
  const std::array<std::string, 6> before0 = s.board[0].CFGRset;
  SET_GLOBAL_CFGR(m);
  for (int b = 0; b <= 2; ++b) {
    EXPECT_EQ(s.board[b].CFGRset[4], "5A") << b;
    EXPECT_EQ(s.board[b].CFGRset[5], "A0") << b;
  }
  EXPECT_EQ(s.board[0].CFGRset[0], before0[0]);
  EXPECT_EQ(s.board[0].CFGRset[3], before0[3]);
  EXPECT_EQ(s.board[2].CFGRset[1], "02");
  EXPECT_EQ(s.board[3].CFGRset[4], "33");  // beyond the stack
  EXPECT_EQ(s.board[3].CFGRset[5], "43");

  // Selecting another board rebuilds its CFGR4/5 from its codes: the copy
  // must survive that, or an addressed write would send the old values.
  m.ui.Command4[2].raiseClick();
  EXPECT_EQ(s.board[2].CFGRset[4], "5A");
  EXPECT_EQ(m.ui.Text2[1].text(), "3.840V ");
  f.script->written.clear();
  WRCFG_BROADCAST(m);
  EXPECT_EQ(f.script->written, std::vector<std::string>{"MSxT83T01SE2S02S12S22S5ASA0X"});
}

TEST_F(GlobalThresholds, PerBoardModeLeavesEveryBoardsThresholds) {
  m.ui.Option1[0].setValue(1);
  SET_GLOBAL_CFGR(m);
  EXPECT_EQ(s.board[0].CFGRset[4], "30");
  EXPECT_EQ(s.board[2].CFGRset[5], "42");
  EXPECT_EQ(s.board[1].CFGRset[4], "5A");
}

}  // namespace
}  // namespace kestrav::commands
