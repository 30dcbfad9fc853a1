#include <gtest/gtest.h>

#include "commands/PecVerification.h"
#include "commands/ReadCells.h"
#include "commands/ReadConfig.h"
#include "commands/ReadFlags.h"
#include "commands/ReadTemps.h"
#include "commands/ReplyText.h"
#include "link/CommandStrings.h"
#include "support/MonitorFixture.h"

namespace kestrav::commands {
namespace {

using state::ReadCommand;
using test::Bytes;
using test::MonitorFixture;

constexpr const char* kRdcv = "MSxT81T04RRRRRRRRRRRRRRRRRRRX";
constexpr const char* kStcvad = "MSxS10X";  // broadcast, as a running cycle sets it

// A started monitor with `boards` boards, the option box as given.
context::Monitor& started(MonitorFixture& f, int boards, bool pecMatchOnly) {
  context::Monitor& m = f.start();
  m.ui.Combo1.setListIndex(boards - 1);
  m.ui.Check_AUTO.setValue(pecMatchOnly ? 1 : 0);
  f.script->written.clear();
  return m;
}

// What a running cycle on board BRDread looks like to a read.
void inCycle(context::Monitor& m, int board) {
  m.stack.OnOff = 1;
  m.stack.BRDread = board;
  m.stack.SINGLESHOTflag = 0;
  m.ui.Check5[2].setValue(1);
  m.ui.Check5[4].setValue(1);
}

TEST(PecMismatch, NotTickedTheReplyIsUsedAndShownRedOnEveryMarkOfTheStack) {
  MonitorFixture f;
  context::Monitor& m = started(f, 4, false);
  const Bytes bytes = test::bytesWithPec(18, 0x3C);
  f.script->replies.push_back(test::replyWithPec(bytes, 0x5A));
  RDCV_ADDRESSABLE_PEC(m);
  EXPECT_EQ(f.script->written, (std::vector<std::string>{kRdcv}));
  EXPECT_EQ(m.ui.Text8.text(), "0x5A != 0x3C");
  EXPECT_EQ(m.ui.Text8.backColor(), context::kRed);
  EXPECT_EQ(m.ui.Label8[1].text(), "Command = 04 RDCV");
  for (int b = 0; b < 10; ++b)
    EXPECT_EQ(m.ui.Shape12[b].fillColor(), b <= 3 ? context::kRed : context::kWindowBackground) << b;
  EXPECT_EQ(m.stack.PECflag, 2);
  EXPECT_EQ(m.stack.PEC_RDCV, state::kTrue);
  EXPECT_EQ(m.stack.RDCVflag, 1);  // decoded like a good reply
  EXPECT_EQ(m.stack.READINGhex[2], "111");
  EXPECT_EQ(m.ui.Text1[1].text(), state::readingText(m.stack.READINGvolts[2]));
}

TEST(PecMismatch, ASingleShotReadNeverRetriesAndSwitchesTheOptionOffForItself) {
  MonitorFixture f;
  context::Monitor& m = started(f, 1, true);
  m.stack.SINGLESHOTflag = 1;
  f.script->replies.push_back(test::replyWithPec(Bytes(3, 0), 0x0A));
  RDFLG_ADDRESSABLE_PEC(m);
  EXPECT_EQ(f.script->written.size(), 1u);
  EXPECT_EQ(m.stack.AUTORESTARTflag, 0);
  // Below 0x10 both sides keep two digits.
  EXPECT_EQ(m.ui.Text8.text(), "0x0A != 0x00");
  EXPECT_EQ(m.stack.board[0].FLGRread[0], "00");
  EXPECT_TRUE(f.desktop.messages.empty());
}

TEST(PecRetry, TickedAMismatchIsThrownAwayAndTheNextGoodReplyShownGreen) {
  MonitorFixture f;
  context::Monitor& m = started(f, 3, true);
  inCycle(m, 0);
  m.ui.Text8.setText("earlier");
  Bytes good(18, 0x00);
  good[0] = 0x12;
  good[1] = 0x34;
  good[2] = 0x56;
  Bytes bad = good;
  bad[5] ^= 0x40;  // one bit flipped on the bus, PEC as sent
  std::vector<std::string> answers = {test::replyWithPec(bad, test::pecOf(good)), test::goodReply(good)};
  f.script->responder = [&answers](const std::string& cmd) {
    if (cmd != kRdcv || answers.empty()) return std::string();
    std::string a = answers.front();
    answers.erase(answers.begin());
    return a;
  };
  RDCV_ADDRESSABLE_PEC(m);
  EXPECT_EQ(f.script->written, (std::vector<std::string>{kRdcv, kStcvad, kRdcv}));
  const std::string pec = "0x" + state::hexByte(test::pecOf(good));
  EXPECT_EQ(m.ui.Text8.text(), pec + " == " + pec);
  EXPECT_EQ(m.ui.Text8.backColor(), context::kWindowBackground);
  for (int b = 0; b < 10; ++b)
    EXPECT_EQ(m.ui.Shape12[b].fillColor(), b <= 2 ? context::kGreen : context::kWindowBackground) << b;
  // Only the good reply reached the readings.
  EXPECT_EQ(m.stack.READINGhex[1], "412");
  EXPECT_EQ(m.stack.READINGhex[3], "000");
  EXPECT_EQ(m.stack.AUTORESTARTflag, 1);
}

TEST(PecRetry, AnAllZeroReplyMatchesAndIsAcceptedAtOnce) {
  MonitorFixture f;
  context::Monitor& m = started(f, 1, true);
  inCycle(m, 0);
  f.script->replies.push_back(test::replyWithPec(Bytes(5, 0), 0x00));
  RDTMP_ADDRESSABLE_PEC(m);
  EXPECT_EQ(f.script->written.size(), 1u);
  EXPECT_EQ(m.ui.Text8.text(), "0x00 == 0x00");
  EXPECT_EQ(m.ui.Shape12[0].fillColor(), context::kGreen);
  EXPECT_EQ(m.stack.READINGhex[121], "000");
  EXPECT_EQ(m.stack.PECflag, 4);
}

struct GiveUpCase {
  ReadCommand command;
  void (*read)(context::Monitor&);
  const char* readString;
  const char* between;  // conversion start after each thrown-away reply, or nullptr
  const char* message;
};

TEST(PecGiveUp, TenThrownAwayRepliesThenOneMessageAndTheSkipFlag) {
  const GiveUpCase cases[] = {
      {ReadCommand::RDCFG, &RDCFG_ADDRESSABLE_PEC, "MSxT82T02RRRRRRRX", nullptr,
       "Excessive READ CONFIG Communication Errors! "},
      {ReadCommand::RDCV, &RDCV_ADDRESSABLE_PEC, "MSxT82T04RRRRRRRRRRRRRRRRRRRX", "MSxS10X",
       "Excessive READ CELL VOLTAGE Communication Errors! "},
      {ReadCommand::RDFLG, &RDFLG_ADDRESSABLE_PEC, "MSxT82T06RRRRX", nullptr,
       "Excessive READ FLAG Communication Errors! "},
      {ReadCommand::RDTMP, &RDTMP_ADDRESSABLE_PEC, "MSxT82T08RRRRRRX", "MSxS30X",
       "Excessive READ TEMP Communication Errors! "},
  };
  for (const GiveUpCase& c : cases) {
    SCOPED_TRACE(c.readString);
    MonitorFixture f;
    context::Monitor& m = started(f, 3, true);
    inCycle(m, 1);
    m.stack.board[1].FLGRread = {"AA", "BB", "CC"};
    m.stack.board[1].CFGRread = {"E0", "00", "00", "00", "00", "00"};
    m.stack.READINGhex[13] = "ABC";
    m.stack.READINGhex[124] = "ABC";
    m.ui.Text8.setText("0x11 == 0x11");
    // Every reply arrives whole with a PEC one off the right one.
    const std::size_t n = static_cast<std::size_t>(link::registerCount(c.command));
    const Bytes bytes(n, 0x21);
    f.script->responder = [&](const std::string& cmd) {
      return cmd == c.readString ? test::replyWithPec(bytes, test::pecOf(bytes) ^ 1) : std::string();
    };
    f.script->written.clear();
    c.read(m);

    std::vector<std::string> expected;
    for (int i = 0; i < 10; ++i) {
      expected.push_back(c.readString);
      if (c.between) expected.push_back(c.between);
    }
    EXPECT_EQ(f.script->written, expected);
    ASSERT_EQ(f.desktop.messages.size(), 1u);
    const test::ShownMessage& msg = f.desktop.messages[0];
    EXPECT_EQ(msg.text, std::string(c.message) +
                            "Please configure jumper settings for address pins A0 to A3 correctly. "
                            "Then check all power cell connections and SPI ribbon connections between boards.");
    EXPECT_EQ(msg.title, context::kDefaultMessageTitle);
    EXPECT_EQ(msg.buttons, context::MessageButtons::OK);
    EXPECT_EQ(m.stack.MEASURESKIPflag, 1);
    // Nothing of the thrown-away replies was stored or shown as a result.
    EXPECT_EQ(m.ui.Text8.text().find("!="), std::string::npos);
    EXPECT_EQ(m.stack.board[1].FLGRread[0], "AA");
    EXPECT_EQ(m.stack.board[1].CFGRread[0], "E0");
    EXPECT_EQ(m.stack.READINGhex[13], "ABC");
    EXPECT_EQ(m.stack.READINGhex[124], "ABC");
    EXPECT_EQ(m.stack.verdict(c.command), state::kFalse);
  }
}

TEST(PecGiveUp, AReadGivingUpAfterTheCycleStoppedDoesNotStartItAgain) {
  // Two reads in one step: the first stopped the cycle, the second fails too.
  MonitorFixture f;
  context::Monitor& m = started(f, 2, true);
  m.stack.OnOff = 0;
  m.stack.SINGLESHOTflag = 0;
  f.script->responder = [](const std::string&) { return test::replyWithPec(Bytes(3, 0), 0x01); };
  RDFLG_ADDRESSABLE_PEC(m);
  EXPECT_EQ(f.desktop.messages.size(), 1u);
  EXPECT_EQ(m.stack.MEASURESKIPflag, 1);
  EXPECT_EQ(m.stack.OnOff, 0);
}

TEST(StaleReply, AReadThatGetsNoAnswerNeverPassesTheLastReplyOffAsValid) {
  MonitorFixture f;
  context::Monitor& m = started(f, 2, true);
  inCycle(m, 0);
  Bytes cells(18, 0);
  cells[0] = 0x99;
  f.script->replies.push_back(test::goodReply(cells));
  RDCV_ADDRESSABLE_PEC(m);
  ASSERT_EQ(m.stack.READINGhex[1], "099");

  // Board index 1 answers nothing: the buffer still holds board 0's reply,
  // with a PEC that matches it.
  m.stack.BRDread = 1;
  f.script->written.clear();
  RDCV_ADDRESSABLE_PEC(m);
  EXPECT_EQ(f.script->count("MSxT82T04RRRRRRRRRRRRRRRRRRRX"), 10);
  EXPECT_EQ(f.desktop.messages.size(), 1u);
  EXPECT_EQ(m.stack.READINGhex[13], "");

  // With the option off the stale reply is shown, but as a mismatch.
  MonitorFixture g;
  context::Monitor& n = started(g, 1, false);
  g.script->replies.push_back(test::goodReply(cells));
  g.script->replies.push_back("");
  RDCV_ADDRESSABLE_PEC(n);
  EXPECT_EQ(n.ui.Text8.backColor(), context::kWindowBackground);
  RDCV_ADDRESSABLE_PEC(n);
  EXPECT_EQ(n.ui.Text8.backColor(), context::kRed);
  EXPECT_EQ(n.ui.Shape12[0].fillColor(), context::kRed);

  // Before any reply at all the blank buffer reads as zeros with a zero PEC.
  MonitorFixture h;
  context::Monitor& o = started(h, 1, false);
  h.script->unplugged = true;
  RDCFG_ADDRESSABLE_PEC(o);
  EXPECT_EQ(o.ui.Text8.backColor(), context::kRed);
}

// A bridge pulled between the tick's identification and its reads: ten
// silent attempts, then the identification, then the same end as the
// heartbeat's, without a box about jumpers.
TEST(LostBridge, ReadsThatHearNothingFromAGoneBridgeEndTheProgramWithoutABox) {
  MonitorFixture f;
  context::Monitor& m = started(f, 2, true);
  inCycle(m, 0);
  f.script->unplugged = true;
  RDCV_ADDRESSABLE_PEC(m);
  EXPECT_EQ(f.script->count(kRdcv), 10);
  EXPECT_EQ(f.script->count("IZ"), 1);
  EXPECT_EQ(f.script->written.back(), "IZ");
  EXPECT_TRUE(f.desktop.messages.empty());
  EXPECT_TRUE(m.ended());
  EXPECT_EQ(m.exitStatus(), context::kExitRefused);
  EXPECT_EQ(f.desktop.quits, std::vector<int>{context::kExitRefused});
  EXPECT_EQ(m.stack.OnOff, 0);

  // The rest of the step asks the gone bridge nothing more.
  f.script->written.clear();
  RDTMP_ADDRESSABLE_PEC(m);
  RDFLG_ADDRESSABLE_PEC(m);
  EXPECT_TRUE(f.script->written.empty());
  EXPECT_TRUE(f.desktop.messages.empty());
}

TEST(LostBridge, ABridgeThatStillNamesTheChipGetsTheBoxAsBefore) {
  // Silent reads, but the bridge answers its name: the boards are the fault.
  MonitorFixture f;
  context::Monitor& m = started(f, 2, true);
  inCycle(m, 0);
  f.script->responder = [](const std::string&) { return std::string(); };
  RDFLG_ADDRESSABLE_PEC(m);
  EXPECT_EQ(f.script->count("IZ"), 1);
  ASSERT_EQ(f.desktop.messages.size(), 1u);
  EXPECT_EQ(f.desktop.messages[0].text.rfind("Excessive READ FLAG", 0), 0u);
  EXPECT_FALSE(m.ended());

  // Replies that arrive with bad PECs need no identification.
  MonitorFixture g;
  context::Monitor& n = started(g, 2, true);
  inCycle(n, 0);
  g.script->responder = [](const std::string&) { return test::replyWithPec(Bytes(3, 0), 0x01); };
  RDFLG_ADDRESSABLE_PEC(n);
  EXPECT_EQ(g.script->count("IZ"), 0);
  EXPECT_EQ(g.desktop.messages.size(), 1u);
  EXPECT_FALSE(n.ended());
}

TEST(PecDisplay, SelectingAnotherBoardAfterAFlagMismatchShowsTheRedResultAgain) {
  MonitorFixture f;
  context::Monitor& m = started(f, 3, false);
  f.script->replies.push_back(test::replyWithPec(Bytes{0x01, 0x80, 0x0A}, 0x77));
  RDFLG_ADDRESSABLE_PEC(m);
  const std::string shown = m.ui.Text8.text();
  ASSERT_EQ(shown.substr(0, 8), "0x77 != ");
  m.ui.Text8.setText("");
  m.ui.Text8.setBackColor(context::kWindowBackground);
  m.ui.Label8[1].setCaption("");
  m.ui.Command4[2].raiseClick();
  EXPECT_EQ(m.ui.Text8.text(), shown);
  EXPECT_EQ(m.ui.Text8.backColor(), context::kRed);
  EXPECT_EQ(m.ui.Label8[1].text(), "Command = 06 RDFLG");
  EXPECT_EQ(m.stack.PECflag, 3);
  EXPECT_EQ(f.script->count("MSxT81T06RRRRX"), 1);  // redrawn, not read again
}

}  // namespace
}  // namespace kestrav::commands
