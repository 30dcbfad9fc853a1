#include <gtest/gtest.h>

#include <memory>

#include "app/Events.h"
#include "commands/ReadCells.h"
#include "commands/ReadConfig.h"
#include "commands/ReadFlags.h"
#include "commands/ReadTemps.h"
#include "commands/Starts.h"
#include "link/ports/SimulatedPort.h"
#include "sim/Simulator.h"
#include "state/HexText.h"
#include "support/FakeDesktop.h"

namespace kestrav::commands {
namespace {

// The program against simulated boards, without real-time pacing.
struct SimulatedStack {
  test::FakeDesktop desktop;
  test::FixedClock clock;
  std::shared_ptr<sim::Simulator> sim;
  std::unique_ptr<context::Monitor> monitor;

  explicit SimulatedStack(sim::SimOptions options, int boards) {
    sim = std::make_shared<sim::Simulator>(options);
    monitor = std::make_unique<context::Monitor>(std::make_unique<link::SimulatedPort>(sim, false), desktop, clock);
    app::wireMainWindow(*monitor);
    app::loadMainWindow(*monitor);
    monitor->ui.Combo1.setListIndex(boards - 1);
    monitor->ui.Check5[2].setValue(1);  // cell conversions to every board
    monitor->ui.Check5[4].setValue(1);
  }
};

void expectPlausibleCells(const state::BoardStack& s, int board) {
  for (int c = 1; c <= 12; ++c) {
    const float v = s.READINGvolts[state::cellReading(board, c)];
    EXPECT_GT(v, 3.4f) << "board " << board << " cell " << c;
    EXPECT_LT(v, 3.8f) << "board " << board << " cell " << c;
  }
}

TEST(SimulatedReads, EveryReadOfEveryBoardPassesItsCheckAndDecodesPlausibly) {
  sim::SimOptions o;
  o.boards = 3;
  SimulatedStack st(o, 3);
  context::Monitor& m = *st.monitor;
  for (int b = 0; b < 3; ++b) {
    SCOPED_TRACE(b);
    m.ui.Command4[b].raiseClick();
    STCVAD_BROADCAST(m);
    RDCV_ADDRESSABLE_PEC(m);
    expectPlausibleCells(m.stack, b);
    EXPECT_NE(m.ui.Text8.text().find(" == "), std::string::npos);
    EXPECT_EQ(m.ui.Text1[5].text(), state::readingText(m.stack.READINGvolts[state::cellReading(b, 6)]));
    STTMPAD_BROADCAST(m);
    RDTMP_ADDRESSABLE_PEC(m);
    EXPECT_GT(m.stack.READINGvolts[state::temperatureReading(b, 2)], 0.0f);
    RDFLG_ADDRESSABLE_PEC(m);
    EXPECT_EQ(m.stack.board[b].FLGRread[0].size(), 2u);
    RDCFG_ADDRESSABLE_PEC(m);
    EXPECT_EQ(m.stack.board[b].CFGRread[0].size(), 2u);
    for (int s = 0; s < 3; ++s) EXPECT_EQ(m.ui.Shape12[s].fillColor(), context::kGreen) << s;
  }
  EXPECT_TRUE(st.desktop.messages.empty());
}

TEST(SimulatedReads, WithPecMatchOnlyCorruptedRepliesAreRetriedAndNeverShown) {
  sim::SimOptions o;
  o.boards = 4;
  o.corruptShare = 0.4;
  o.seed = 7;
  SimulatedStack st(o, 4);
  context::Monitor& m = *st.monitor;
  m.stack.OnOff = 1;  // as in a running cycle: the option is on and honoured
  m.stack.SINGLESHOTflag = 0;
  for (int pass = 0; pass < 10; ++pass) {
    for (int b = 0; b < 4; ++b) {
      m.stack.BRDread = b;
      m.ui.Text8.setText("");
      STCVAD_BROADCAST(m);
      RDCV_ADDRESSABLE_PEC(m);
      ASSERT_NE(m.ui.Text8.text().find(" == "), std::string::npos) << "pass " << pass << " board " << b;
      expectPlausibleCells(m.stack, b);
    }
  }
  EXPECT_TRUE(st.desktop.messages.empty());
  EXPECT_EQ(m.stack.AUTORESTARTflag, 1);
}

TEST(SimulatedReads, WithoutPecMatchOnlyCorruptedRepliesAreShownRedButNeverRetried) {
  sim::SimOptions o;
  o.boards = 2;
  o.corruptShare = 0.5;
  o.seed = 3;
  SimulatedStack st(o, 2);
  context::Monitor& m = *st.monitor;
  m.ui.Check_AUTO.setValue(0);
  int red = 0, green = 0;
  for (int i = 0; i < 20; ++i) {
    RDFLG_ADDRESSABLE_PEC(m);
    const bool mismatch = m.ui.Text8.backColor() == context::kRed;
    (mismatch ? red : green) += 1;
    // Every mark of the stack tells the same story as the text box.
    for (int b = 0; b < 2; ++b) EXPECT_EQ(m.ui.Shape12[b].fillColor(), mismatch ? context::kRed : context::kGreen);
  }
  EXPECT_GT(red, 0);
  EXPECT_GT(green, 0);
  EXPECT_TRUE(st.desktop.messages.empty());
}

}  // namespace
}  // namespace kestrav::commands
