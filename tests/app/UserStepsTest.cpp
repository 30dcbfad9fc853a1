// The user's steps on the window model, on the simulator: each reaches the
// register bits, codes and bridge commands a click in the window reaches.

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "app/UserSteps.h"
#include "config/Thresholds.h"
#include "support/MonitorFixture.h"

namespace kestrav::app {
namespace {

TEST(UserSteps, ConfigurationBoxesSetTheSelectedBoardsRegisters) {
  test::MonitorFixture f;
  Monitor& m = f.startOnSimulator();
  chooseBoards(m, 3);
  ASSERT_TRUE(selectBoard(m, 1));
  EXPECT_FALSE(selectBoard(m, 5));  // hidden beyond the stack
  EXPECT_EQ(m.stack.BRDnumber, 1);

  setDischarge(m, 3, true);
  setDischarge(m, 12, true);  // CFGR2 bit 3
  setMask(m, 1, true);        // CFGR2 bit 4
  setMask(m, 11, true);
  setMask(m, 12, true);
  const auto& r = m.stack.board[1].CFGRset;
  EXPECT_EQ(r[1], "04");
  EXPECT_EQ(r[2], "18");
  EXPECT_EQ(r[3], "C0");
  setDischarge(m, 3, false);
  EXPECT_EQ(r[1], "00");

  chooseCdc(m, 7);  // one step down from the start-up mode
  EXPECT_EQ(m.stack.board[1].CDCmode, 7);
  chooseCdc(m, 2);
  EXPECT_EQ(m.stack.board[1].CDCmode, 2);
  setCell10(m, true);
  setGpio1(m, true);
  setGpio2(m, false);
  setLvlpl(m, true);
  EXPECT_EQ(r[0], "BA");  // bit 7 as start-up left it, GPIO1, LVLPL, CELL10, CDC 2
  EXPECT_FALSE(m.ui.Text1[10].visible());

  chooseAddress(m, 15);
  EXPECT_EQ(m.stack.board[1].BRDaddress, "8F");
  EXPECT_EQ(m.stack.board[0].CFGRset[1], "00");  // other boards untouched
}

// From every valid pair to every other, in both scopes: the boxes accept
// each pair in the order typed, and an invalid pair changes nothing.
TEST(UserSteps, AnyValidThresholdPairIsReachedFromAnyOther) {
  test::MonitorFixture f;
  Monitor& m = f.startOnSimulator();
  chooseBoards(m, 2);
  const std::vector<std::pair<float, float>> pairs = {{3.1f, 4.2f}, {0.0f, 0.024f}, {6.096f, 6.12f},
                                                      {1.0f, 1.5f}, {4.3f, 5.0f},   {2.0f, 4.25f}};
  for (const bool global : {false, true}) {
    chooseThresholdScope(m, global);
    for (const auto& from : pairs)
      for (const auto& to : pairs) {
        ASSERT_EQ(enterThresholds(m, from.first, from.second), nullptr);
        ASSERT_EQ(enterThresholds(m, to.first, to.second), nullptr);
        for (int b = 0; b <= (global ? 1 : 0); ++b) {
          EXPECT_EQ(m.stack.board[b].VUVcode, config::thresholdCode(to.first)) << from.first << " " << to.first;
          EXPECT_EQ(m.stack.board[b].VOVcode, config::thresholdCode(to.second)) << from.second << " " << to.second;
        }
      }
  }
  EXPECT_TRUE(f.desktop.messages.empty());

  ASSERT_EQ(enterThresholds(m, 3.1f, 4.2f), nullptr);
  EXPECT_STREQ(enterThresholds(m, 4.2f, 3.1f), config::kThresholdOrderMessage);
  EXPECT_STREQ(enterThresholds(m, 4.19f, 4.2f), config::kThresholdOrderMessage);  // one code
  EXPECT_STREQ(enterThresholds(m, -0.1f, 4.2f), config::kThresholdRangeMessage);
  EXPECT_STREQ(enterThresholds(m, 3.0f, 6.13f), config::kThresholdRangeMessage);
  EXPECT_EQ(m.stack.board[0].VUVcode, 129);
  EXPECT_EQ(m.stack.board[0].VOVcode, 175);
  EXPECT_TRUE(f.desktop.messages.empty());
  EXPECT_EQ(thresholdText(3.1f), "3.1");
}

TEST(UserSteps, ButtonsSendTheWindowsCommandsAndRespectDisabledOnes) {
  test::MonitorFixture f;
  Monitor& m = f.startOnSimulator();
  f.script->written.clear();
  setBroadcast(m, 5, false);
  ASSERT_TRUE(writeConfig(m));
  ASSERT_TRUE(startCells(m));
  ASSERT_TRUE(readCells(m));
  ASSERT_TRUE(readFlags(m));
  EXPECT_EQ(f.script->written.size(), 4u);

  setPecMatchOnly(m, false);
  EXPECT_EQ(m.stack.AUTORESTARTflag, 0);
  setPecMatchOnly(m, true);
  EXPECT_EQ(m.stack.AUTORESTARTflag, 1);

  ASSERT_TRUE(toggleContinuous(m));
  EXPECT_FALSE(readCells(m));  // disabled while the cycle runs
  EXPECT_FALSE(startCells(m));
  EXPECT_TRUE(toggleContinuous(m));
  EXPECT_TRUE(readCells(m));
}

}  // namespace
}  // namespace kestrav::app
