#include <gtest/gtest.h>

#include "display/ReadingDisplays.h"
#include "support/MonitorFixture.h"

namespace kestrav::display {
namespace {

using test::MonitorFixture;

context::Monitor& started(MonitorFixture& f, int boards) {
  context::Monitor& m = f.start();
  m.ui.Combo1.setListIndex(boards - 1);
  return m;
}

TEST(CellDisplay, ShowsTheSelectedBoardUnlessTheCycleIsElsewhere) {
  MonitorFixture f;
  context::Monitor& m = started(f, 4);
  state::BoardStack& s = m.stack;
  s.READINGvolts[state::cellReading(0, 1)] = 3.6f;
  s.READINGvolts[state::cellReading(0, 12)] = 0.0f;
  s.READINGvolts[state::cellReading(0, 7)] = 4.1236f;
  s.READINGvolts[state::cellReading(2, 1)] = 1.0f;
  Single_12CELL_Display(m);
  EXPECT_EQ(m.ui.Text1[0].text(), " 3.600V  ");
  EXPECT_EQ(m.ui.Text1[6].text(), " 4.124V  ");
  EXPECT_EQ(m.ui.Text1[11].text(), " 0.000V  ");

  // Cycle on board index 2 while board index 0 is selected.
  s.OnOff = 1;
  s.BRDread = 2;
  s.READINGvolts[state::cellReading(0, 1)] = 2.0f;
  Single_12CELL_Display(m);
  EXPECT_EQ(m.ui.Text1[0].text(), " 3.600V  ");
  // The pass over the selected board repaints it.
  s.BRDread = 0;
  Single_12CELL_Display(m);
  EXPECT_EQ(m.ui.Text1[0].text(), " 2.000V  ");
  // Stopped: the selected board always.
  s.OnOff = 0;
  s.BRDread = 3;
  s.READINGvolts[state::cellReading(0, 1)] = 1.5f;
  Single_12CELL_Display(m);
  EXPECT_EQ(m.ui.Text1[0].text(), " 1.500V  ");
}

TEST(TemperatureAndFlagDisplays, FlagsFollowTheCycleTemperaturesOnlyTheSelectedBoard) {
  MonitorFixture f;
  context::Monitor& m = started(f, 4);
  state::BoardStack& s = m.stack;
  s.board[0].FLGRread = {"00", "00", "00"};
  s.board[2].FLGRread = {"0F", "A0", "01"};
  s.READINGvolts[state::temperatureReading(0, 0)] = 1.0f;
  s.READINGvolts[state::temperatureReading(0, 1)] = 2.0f;
  s.READINGvolts[state::temperatureReading(0, 2)] = 3.0f;
  s.OnOff = 1;
  s.BRDread = 2;
  for (context::Control& t : m.ui.Text6) t.setText("before");
  UPDATE_RDTMP_Display(m);
  UPDATE_RDFLG_Display(m);
  for (context::Control& t : m.ui.Text6) EXPECT_EQ(t.text(), "before");
  EXPECT_EQ(m.ui.Shape6[1].fillColor(), context::kRed);  // read, even if not shown
  EXPECT_EQ(m.ui.Text7[0].text(), "  0F   ");
  EXPECT_EQ(m.ui.Text7[1].text(), "  A0   ");

  s.OnOff = 0;
  s.BRDread = 0;
  UPDATE_RDTMP_Display(m);
  UPDATE_RDFLG_Display(m);
  EXPECT_EQ(m.ui.Text6[0].text(), " 3.000V  ");  // ITMP
  EXPECT_EQ(m.ui.Text6[1].text(), " 1.000V  ");  // ETMP1
  EXPECT_EQ(m.ui.Text6[2].text(), " 2.000V  ");  // ETMP2
  EXPECT_EQ(m.ui.Text7[2].text(), "  00   ");
}

TEST(ConfigDisplay, ShowsTheSelectedBoardsReadBackOnlyWhileItIsCurrent) {
  MonitorFixture f;
  context::Monitor& m = started(f, 2);
  m.stack.board[0].CFGRread = {"E0", "00", "00", "00", "5A", "A0"};
  m.stack.RDCFGflag = 1;
  DISPLAY_RDCFG(m);
  EXPECT_EQ(m.ui.Text5[0].text(), "   E0   ");
  EXPECT_EQ(m.ui.Text5[5].text(), "   A0   ");

  // After a write and before the next read: empty and neutral.
  m.ui.Text5[2].setBackColor(context::kRed);
  m.stack.RDCFGflag = 0;
  DISPLAY_RDCFG(m);
  for (const context::Control& t : m.ui.Text5) {
    EXPECT_EQ(t.text(), "");
    EXPECT_EQ(t.backColor(), context::kWindowBackground);
  }
}

TEST(PecDisplay, WithNoReadVerifiedTheResultAndTheMarksOfTheStackAreBlanked) {
  MonitorFixture f;
  context::Monitor& m = started(f, 3);
  m.ui.Text8.setText("0x12 != 0x34");
  m.ui.Text8.setBackColor(context::kRed);
  m.ui.Label8[1].setCaption("Command = 04 RDCV");
  for (context::Control& s : m.ui.Shape12) s.setFillColor(context::kRed);
  m.stack.PECflag = 0;
  UPDATE_PEC_Display(m);
  EXPECT_EQ(m.ui.Text8.text(), "");
  EXPECT_EQ(m.ui.Text8.backColor(), context::kWindowBackground);
  EXPECT_EQ(m.ui.Label8[1].text(), "");
  for (int b = 0; b < 10; ++b)
    EXPECT_EQ(m.ui.Shape12[b].fillColor(), b <= 2 ? context::kWindowBackground : context::kRed) << b;
}

TEST(PecDisplay, RedrawsTheResultOfTheCommandLastVerified) {
  MonitorFixture f;
  context::Monitor& m = started(f, 2);
  const char* captions[] = {"Command = 02 RDCFG", "Command = 04 RDCV", "Command = 06 RDFLG",
                            "Command = 08 RDTMP"};
  for (int flag = 1; flag <= 4; ++flag) {
    m.ui.Label8[1].setCaption("");
    m.stack.PECflag = flag;
    UPDATE_PEC_Display(m);
    EXPECT_EQ(m.ui.Label8[1].text(), captions[flag - 1]);
    EXPECT_EQ(m.stack.PECflag, flag);
  }
  m.stack.PECflag = 9;
  m.ui.Label8[1].setCaption("kept");
  UPDATE_PEC_Display(m);
  EXPECT_EQ(m.ui.Label8[1].text(), "kept");
}

}  // namespace
}  // namespace kestrav::display
