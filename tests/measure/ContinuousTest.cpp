#include <gtest/gtest.h>

#include "app/Events.h"
#include "measure/Continuous.h"
#include "measure/Dispatcher.h"
#include "support/MonitorFixture.h"

namespace kestrav::measure {
namespace {

using test::MonitorFixture;

// A started program on the simulator with `boards` boards in the stack.
context::Monitor& startWith(MonitorFixture& f, int boards) {
  context::Monitor& m = f.startOnSimulator();
  m.ui.Combo1.setListIndex(boards - 1);
  return m;
}

TEST(ContinuousToggle, StartLocksTheCollidingControlsAndForcesBroadcastConversions) {
  MonitorFixture f;
  context::Monitor& m = startWith(f, 3);
  m.ui.Command4[1].raiseClick();
  m.stack.SINGLESHOTflag = 1;
  m.ui.Text1[4].setText(" 3.600V  ");
  m.ui.Command1[10].raiseClick();

  EXPECT_EQ(m.stack.OnOff, 1);
  EXPECT_EQ(m.stack.BRDread, 0);
  EXPECT_EQ(m.stack.MEASUREflag, 0);
  EXPECT_EQ(m.stack.SINGLESHOTflag, 0);
  EXPECT_EQ(m.ui.Command1[10].text(), "            STOP                    CONTINUOUS              READ CELLS");
  EXPECT_EQ(m.ui.Shape3.fillColor(), 0x00FF00u);
  for (int b : {2, 4, 7, 8, 9}) EXPECT_FALSE(m.ui.Command1[b].enabled()) << b;
  EXPECT_TRUE(m.ui.Command1[6].enabled());
  for (int box : {2, 4}) {
    EXPECT_EQ(m.ui.Check5[box].value(), 1);
    EXPECT_FALSE(m.ui.Check5[box].enabled());
    EXPECT_EQ(m.stack.board[1].BCASTflag[box], 1);  // the selected board's choice
  }
  for (int i = 1; i <= 3; ++i) EXPECT_FALSE(m.ui.Label18[i].enabled());
  EXPECT_TRUE(m.ui.Label18[0].enabled());
  EXPECT_EQ(m.ui.Text1[4].text(), " 0.000V  ");
  EXPECT_EQ(m.ui.Text7[0].text(), "");
}

TEST(ContinuousToggle, StopZeroesTheStacksVoltsButKeepsTheRawCodes) {
  MonitorFixture f;
  context::Monitor& m = startWith(f, 2);
  m.ui.Command1[10].raiseClick();
  for (int r = 1; r <= 150; ++r) {
    m.stack.READINGvolts[r] = 3.5f;
    m.stack.READINGhex[r] = "8E8";
  }
  m.ui.Command4[1].raiseClick();
  m.ui.Command1[10].raiseClick();

  EXPECT_EQ(m.stack.OnOff, 0);
  EXPECT_EQ(m.stack.BRDread, 1);  // back to the selected board
  // Every board of the stack is cleared at once (the flag is consumed there).
  EXPECT_EQ(m.stack.CLEARALLstatus, 0);
  EXPECT_EQ(m.ui.Command1[10].text(), "           START                   CONTINUOUS              READ CELLS");
  EXPECT_EQ(m.ui.Shape3.fillColor(), 0x0000FFu);
  for (int b : {2, 4, 6, 7, 8, 9}) EXPECT_TRUE(m.ui.Command1[b].enabled()) << b;
  EXPECT_TRUE(m.ui.Check5[2].enabled());
  EXPECT_EQ(m.ui.Check5[2].value(), 1);  // still ticked
  for (int r = 1; r <= 24; ++r) EXPECT_EQ(m.stack.READINGvolts[r], 0.0f) << r;
  EXPECT_EQ(m.stack.READINGvolts[25], 3.5f);  // board 3 is not in the stack
  for (int r = 121; r <= 126; ++r) EXPECT_EQ(m.stack.READINGvolts[r], 0.0f) << r;
  EXPECT_EQ(m.stack.READINGvolts[127], 3.5f);
  EXPECT_EQ(m.stack.READINGhex[1], "8E8");
  EXPECT_EQ(m.stack.RDCVflag, 0);
}

TEST(Cycle, ThreeStepsPerBoardThenTheNextBoardAndTheMarkerFollows) {
  MonitorFixture f;
  context::Monitor& m = startWith(f, 3);
  m.ui.Command1[10].raiseClick();
  std::vector<int> visited;
  std::vector<int> markers;
  for (int tick = 0; tick < 10; ++tick) {
    visited.push_back(m.stack.BRDread);
    app::timerTick(m);
    markers.push_back(m.ui.Image1.left());
  }
  EXPECT_EQ(visited, (std::vector<int>{0, 0, 0, 1, 1, 1, 2, 2, 2, 0}));
  EXPECT_EQ(markers[2], 504);
  EXPECT_EQ(markers[5], 528);
  EXPECT_EQ(markers[8], 552);  // after the third step of the last board
  EXPECT_EQ(m.stack.BRDread, 0);
}

TEST(Cycle, OneBoardStaysOnBoardOneWithTheMarkerAt504) {
  MonitorFixture f;
  context::Monitor& m = startWith(f, 1);
  m.ui.Command1[10].raiseClick();
  for (int tick = 0; tick < 7; ++tick) {
    app::timerTick(m);
    EXPECT_EQ(m.stack.BRDread, 0);
  }
  EXPECT_EQ(m.ui.Image1.left(), 504);
  EXPECT_EQ(m.stack.MEASUREflag, 1);
}

TEST(Cycle, DatalogPassesTakeFourStepsAndWrapTheRing) {
  MonitorFixture f;
  context::Monitor& m = startWith(f, 2);
  m.datalog.DATACOLLECTflag = 1;
  m.datalog.SETpoint = 3;
  m.datalog.DATApoint = 4;  // one past the end of the ring
  m.stack.OnOff = 1;
  std::vector<int> visited;
  for (int tick = 0; tick < 9; ++tick) {
    visited.push_back(m.stack.BRDread);
    app::timerTick(m);
    if (tick == 0) {
      EXPECT_EQ(m.datalog.DATApoint, 1);
      EXPECT_EQ(m.stack.CYCLEflag, 1);
    }
  }
  EXPECT_EQ(visited, (std::vector<int>{0, 0, 0, 0, 1, 1, 1, 1, 0}));
  EXPECT_EQ(m.ui.Image1.left(), 504);  // the marker does not move while collecting
}

TEST(Cycle, UntickingPecMatchOnlyTakesEffectAtTheNextTick) {
  MonitorFixture f;
  context::Monitor& m = startWith(f, 1);
  m.ui.Command1[10].raiseClick();
  m.stack.AUTORESTARTflag = 1;
  m.ui.Check_AUTO.setValue(0);
  m.stack.AUTORESTARTflag = 1;  // as if something had set it since
  app::timerTick(m);
  EXPECT_EQ(m.stack.AUTORESTARTflag, 0);
  EXPECT_EQ(m.ui.Label_AUTOstatus.text(), "DISPLAY ALL DATA TRANSFERS!");
}

TEST(Cycle, NothingHappensWhileStopped) {
  MonitorFixture f;
  context::Monitor& m = startWith(f, 2);
  const auto before = f.script->written.size();
  app::timerTick(m);
  app::timerTick(m);
  // Only the two identifications went out.
  EXPECT_EQ(f.script->written.size(), before + 2);
  EXPECT_EQ(m.stack.MEASUREflag, 0);
}

}  // namespace
}  // namespace kestrav::measure
