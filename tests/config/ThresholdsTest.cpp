#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <string_view>

#include "config/Thresholds.h"
#include "support/MonitorFixture.h"

namespace kestrav::config {
namespace {

using test::MonitorFixture;

constexpr int kVUV = 0;
constexpr int kVOV = 1;

// Keys as the window delivers them: the handler judges each key, and an
// accepted key lands at the caret.
void typeKeys(context::Monitor& m, int box, std::string_view keys) {
  context::Control& c = m.ui.Text2[box];
  for (char k : keys) {
    const int key = c.raiseKeyPress(static_cast<unsigned char>(k));
    if (key == 0 || key == 13) continue;
    std::string text = c.text();
    int caret = c.selStart();
    if (key == 8) {
      if (caret > 0) text.erase(--caret, 1);
    } else {
      text.insert(static_cast<std::size_t>(caret), 1, static_cast<char>(key));
      ++caret;
    }
    c.takeUserText(text);
    c.setSelStart(caret);
  }
}

// Click into the box, type, click elsewhere.
void enter(context::Monitor& m, int box, std::string_view keys) {
  m.ui.setFocus(m.ui.Text2[box]);
  typeKeys(m, box, keys);
  m.ui.setFocus(m.ui.Command1[9]);
}

struct ThresholdsTest : ::testing::Test {
  MonitorFixture f;
  context::Monitor& m = f.start();
  const state::BoardRecord& r = m.stack.board[0];

  std::vector<std::string> messages() const {
    std::vector<std::string> out;
    for (const test::ShownMessage& s : f.desktop.messages) out.push_back(s.text);
    return out;
  }
};

TEST_F(ThresholdsTest, OverThenUnderVoltageGivesCodesVoltsAndRegisters) {
  m.ui.Option1[0].setValue(1);
  enter(m, kVOV, "4.2");
  enter(m, kVUV, "3.1");
  EXPECT_TRUE(f.desktop.messages.empty());
  EXPECT_EQ(r.VOVcode, 175);
  EXPECT_EQ(r.VUVcode, 129);
  EXPECT_EQ(m.ui.Text2[kVOV].text(), "4.200V ");
  EXPECT_EQ(m.ui.Text2[kVUV].text(), "3.096V ");
  EXPECT_EQ(r.CFGRset[5], "AF");
  EXPECT_EQ(r.CFGRset[4], "81");
  EXPECT_EQ(m.ui.Text4[4].text(), "   81   ");
  EXPECT_EQ(m.ui.Text4[5].text(), "   AF   ");
  EXPECT_EQ(m.ui.Text2[kVUV].foreColor(), context::kGrey);
}

TEST_F(ThresholdsTest, RefusedEntriesShowTheirMessageAndBringBackTheStoredValue) {
  enter(m, kVUV, "3.1");  // VOV is still 0
  enter(m, kVUV, "6.12");  // in range, but no VOV can be above it
  enter(m, kVOV, "6.13");
  EXPECT_EQ(messages(), (std::vector<std::string>{"VUV must be less than VOV", "VUV must be less than VOV",
                                                 "Only Enter Values Between 0.000V and 6.120V."}));
  for (const test::ShownMessage& s : f.desktop.messages) {
    EXPECT_EQ(s.title, context::kDefaultMessageTitle);
    EXPECT_EQ(s.buttons, context::MessageButtons::OK);
  }
  EXPECT_EQ(r.VUVcode, 0);
  EXPECT_EQ(r.VOVcode, 0);
  EXPECT_EQ(m.ui.Text2[kVUV].text(), "0.000V ");
  EXPECT_EQ(m.ui.Text2[kVOV].text(), "0.000V ");

  enter(m, kVOV, "6.12");  // the top of the range is code 255
  EXPECT_EQ(r.VOVcode, 255);
  EXPECT_EQ(m.ui.Text2[kVOV].text(), "6.120V ");
  enter(m, kVUV, "-1");
  EXPECT_EQ(messages().back(), "Only Enter Values Between 0.000V and 6.120V.");
  EXPECT_EQ(r.VUVcode, 0);
}

// A number beyond single precision is far above 6.12 V, not code 0.
TEST_F(ThresholdsTest, ANumberTooLargeForAFloatIsOutOfRange) {
  const std::string huge = "1" + std::string(39, '0');
  enter(m, kVOV, "4.2");
  enter(m, kVUV, huge);
  enter(m, kVOV, huge + ".5");
  enter(m, kVUV, "-" + huge);
  EXPECT_EQ(messages(), std::vector<std::string>(3, "Only Enter Values Between 0.000V and 6.120V."));
  EXPECT_EQ(r.VUVcode, 0);
  EXPECT_EQ(r.VOVcode, 175);
  EXPECT_EQ(leadingNumber("0." + std::string(60, '0') + "1"), 0.0f) << "an underflow is (nearly) zero";
  EXPECT_EQ(leadingNumber("000" + huge + "V"), std::numeric_limits<float>::infinity());
}

TEST_F(ThresholdsTest, CodesRoundHalvesToEvenAndTheOrderIsJudgedOnThem) {
  enter(m, kVOV, "4.2");
  enter(m, kVUV, "0.3");  // 12.5 steps
  EXPECT_EQ(r.VUVcode, 12);
  enter(m, kVUV, "0.06");  // 2.5 steps
  EXPECT_EQ(r.VUVcode, 2);
  enter(m, kVUV, "0.18");  // 7.5 steps
  EXPECT_EQ(r.VUVcode, 8);
  EXPECT_TRUE(f.desktop.messages.empty());
  // Below VOV in volts but the same code: equal thresholds are refused.
  enter(m, kVUV, "4.19");
  EXPECT_EQ(messages(), std::vector<std::string>{"VUV must be less than VOV"});
  EXPECT_EQ(r.VUVcode, 8);
}

TEST_F(ThresholdsTest, KeyFilterTakesDigitsOnePointAndALeadingMinus) {
  m.ui.setFocus(m.ui.Text2[kVUV]);
  EXPECT_EQ(m.ui.Text2[kVUV].text(), "");  // emptied for a fresh value
  typeKeys(m, kVUV, "1.2.5x-3");
  EXPECT_EQ(m.ui.Text2[kVUV].text(), "1.253");
  typeKeys(m, kVUV, "\b\b\b\b\b");
  EXPECT_EQ(m.ui.Text2[kVUV].text(), "");
  typeKeys(m, kVUV, "-1-");
  EXPECT_EQ(m.ui.Text2[kVUV].text(), "-1");
  EXPECT_EQ(m.ui.Text2[kVUV].foreColor(), context::kGrey);

  // Blanks around the text are trimmed; the caret stays on its character.
  context::Control& box = m.ui.Text2[kVUV];
  box.takeUserText("  2 ");
  box.setSelStart(3);
  EXPECT_EQ(box.raiseKeyPress('5'), '5');
  EXPECT_EQ(box.text(), "2");
  EXPECT_EQ(box.selStart(), 1);
  box.takeUserText(" 2");
  box.setSelStart(1);
  EXPECT_EQ(box.raiseKeyPress('-'), '-');  // the caret is at the start once trimmed
}

TEST_F(ThresholdsTest, EnterAppliesTheValueWithoutWritingTheConfiguration) {
  m.ui.setFocus(m.ui.Text2[kVOV]);
  f.script->written.clear();
  typeKeys(m, kVOV, "3.6\r");
  EXPECT_EQ(m.ui.focused(), &m.ui.Command1[5]);
  EXPECT_EQ(r.VOVcode, 150);
  EXPECT_EQ(m.ui.Text2[kVOV].text(), "3.600V ");
  for (const std::string& w : f.script->written) EXPECT_EQ(w, "IZ");
}

TEST_F(ThresholdsTest, LeavingAnEmptiedBoxStoresZeroOnlyWhereTheOrderAllows) {
  enter(m, kVOV, "4.2");
  enter(m, kVUV, "3.1");
  enter(m, kVUV, "");
  EXPECT_EQ(r.VUVcode, 0);
  EXPECT_TRUE(f.desktop.messages.empty());
  enter(m, kVOV, "");
  EXPECT_EQ(messages(), std::vector<std::string>{"VUV must be less than VOV"});
  EXPECT_EQ(r.VOVcode, 175);
  EXPECT_EQ(m.ui.Text2[kVOV].text(), "4.200V ");
}

TEST_F(ThresholdsTest, GlobalEntryReachesTheStackAndStepsStayOnTheSelectedBoard) {
  m.ui.Combo1.setListIndex(2);  // three boards
  m.stack.board[3].VOVcode = 77;
  m.ui.Option1[1].setValue(1);
  enter(m, kVOV, "4.2");
  for (int b = 0; b <= 2; ++b) EXPECT_EQ(m.stack.board[b].VOVcode, 175) << b;
  EXPECT_EQ(m.stack.board[3].VOVcode, 77);

  m.ui.Option1[0].setValue(1);
  enter(m, kVOV, "3.0");
  EXPECT_EQ(m.stack.board[0].VOVcode, 125);
  EXPECT_EQ(m.stack.board[1].VOVcode, 175);

  // Stepping: the selected board only, whatever the scope, with wrap-around
  // and no order check.
  m.ui.Option1[1].setValue(1);
  m.ui.Command2[0].raiseClick();
  EXPECT_EQ(r.VUVcode, 255);
  EXPECT_EQ(m.ui.Text2[kVUV].text(), "6.120V ");
  EXPECT_EQ(r.CFGRset[4], "FF");
  EXPECT_EQ(m.ui.Text2[kVUV].foreColor(), context::kGrey);
  EXPECT_EQ(m.stack.board[1].VUVcode, 0);
  m.ui.Command2[1].raiseClick();
  EXPECT_EQ(r.VUVcode, 0);
  m.ui.Command2[3].raiseClick();
  EXPECT_EQ(r.VOVcode, 126);
  m.ui.Command2[2].raiseClick();
  m.ui.Command2[2].raiseClick();
  EXPECT_EQ(r.VOVcode, 124);
  EXPECT_EQ(r.CFGRset[5], "7C");
  EXPECT_TRUE(f.desktop.messages.empty());

  // Each board shows its own codes when selected.
  m.ui.Command4[1].raiseClick();
  EXPECT_EQ(m.ui.Text2[kVOV].text(), "4.200V ");
}

TEST(LeadingNumber, ReadsTheNumberATextStartsWith) {
  EXPECT_FLOAT_EQ(leadingNumber("4.200V "), 4.2f);
  EXPECT_FLOAT_EQ(leadingNumber("  3.1"), 3.1f);
  EXPECT_FLOAT_EQ(leadingNumber("-1.5"), -1.5f);
  EXPECT_FLOAT_EQ(leadingNumber(".5"), 0.5f);
  EXPECT_FLOAT_EQ(leadingNumber("-.5"), -0.5f);
  EXPECT_FLOAT_EQ(leadingNumber("1.2.3"), 1.2f);
  EXPECT_FLOAT_EQ(leadingNumber("12"), 12.0f);
  for (const char* none : {"", "-", ".", "V", "abc", " "}) EXPECT_EQ(leadingNumber(none), 0.0f) << none;
}

TEST(ThresholdPair, JudgedOnTheCodesTheBoxesWouldKeep) {
  EXPECT_EQ(thresholdPairFault(3.1f, 4.2f), nullptr);
  EXPECT_EQ(thresholdPairFault(0.0f, 6.12f), nullptr);
  EXPECT_STREQ(thresholdPairFault(3.001f, 3.002f), "VUV must be less than VOV");  // both code 125
  EXPECT_STREQ(thresholdPairFault(4.2f, 3.1f), "VUV must be less than VOV");
  EXPECT_STREQ(thresholdPairFault(3.1f, 7.0f), "Only Enter Values Between 0.000V and 6.120V.");
  EXPECT_STREQ(thresholdPairFault(-0.001f, 4.2f), "Only Enter Values Between 0.000V and 6.120V.");
  EXPECT_STREQ(thresholdPairFault(std::nanf(""), 4.2f), "Only Enter Values Between 0.000V and 6.120V.");
  EXPECT_STREQ(thresholdPairFault(3.1f, std::numeric_limits<float>::infinity()),
               "Only Enter Values Between 0.000V and 6.120V.");
  EXPECT_EQ(thresholdCode(0.3f), 12) << "12.5 steps round to the even code";
  EXPECT_EQ(thresholdCode(0.18f), 8) << "7.5 steps round to the even code";
  EXPECT_EQ(thresholdCode(6.12f), 255);
}

}  // namespace
}  // namespace kestrav::config
