#include <gtest/gtest.h>

#include "app/Events.h"
#include "app/Startup.h"
#include "support/MonitorFixture.h"

namespace kestrav::app {
namespace {

using test::MonitorFixture;
using context::Control;
using context::kGrey;

TEST(Identification, AcceptsTheExpectedNameFollowedByAnything) {
  for (const char* answer : {"KESTRAV-2", "KESTRAV-2 SPI BRIDGE V1.0\r\n", "KESTRAV-2KESTRAV-2"}) {
    MonitorFixture f;
    f.script->identity = answer;
    Monitor& m = f.build();
    IDENTIFY_BRIDGE(m);
    EXPECT_EQ(m.stack.Initialize, -1) << answer;
    EXPECT_EQ(m.ui.Label_IDstring.text(), "KESTRAV-2");
  }
}

TEST(Identification, RefusesOtherNamesCaseAndShortAnswers) {
  for (const char* answer : {"kestrav-2", "KESTRAV-3", "KESTRAV-", "", "XKESTRAV-2"}) {
    MonitorFixture f;
    f.script->identity = answer;
    Monitor& m = f.build();
    IDENTIFY_BRIDGE(m);
    EXPECT_EQ(m.stack.Initialize, 0) << answer;
    // Whatever came is shown, on a mismatch too.
    EXPECT_EQ(m.ui.Label_IDstring.text().substr(0, std::string(answer).size()),
              std::string(answer).substr(0, 9));
    EXPECT_EQ(m.ui.Label_IDstring.text().size(), 9u);
  }
}

TEST(Startup, ARefusedBridgeEndsTheProgramBeforeTheWindowShows) {
  MonitorFixture f;
  f.script->identity = "KESTRAV-3";
  Monitor& m = f.start();
  EXPECT_TRUE(m.ended());
  EXPECT_EQ(m.exitStatus(), 1);
  EXPECT_EQ(f.desktop.quits, std::vector<int>{1});
  EXPECT_TRUE(f.desktop.messages.empty());
  EXPECT_FALSE(m.ui.Timer1.enabled());
  EXPECT_EQ(m.identification, "KESTRAV-3");
  // Only the identification went to the bridge.
  EXPECT_EQ(f.script->written, std::vector<std::string>{"IZ"});
}

TEST(Startup, StateAfterASuccessfulStart) {
  MonitorFixture f;
  Monitor& m = f.start();
  const state::BoardStack& s = m.stack;
  ASSERT_FALSE(m.ended());
  EXPECT_TRUE(m.ui.Timer1.enabled());
  for (int b = 0; b < state::kBoards; ++b) {
    EXPECT_EQ(s.board[b].CFGRset, (std::array<std::string, 6>{"E0", "00", "00", "00", "00", "00"}));
    EXPECT_EQ(s.board[b].BRDaddress, state::defaultAddress(b));
    for (int flag : s.board[b].BCASTflag) EXPECT_EQ(flag, 0);
  }
  EXPECT_EQ(s.BRDnumber, 0);
  EXPECT_EQ(s.CARDSTACK, 0);
  EXPECT_EQ(s.OnOff, 0);
  EXPECT_EQ(s.GLOBALCFGRflag, 1);
  EXPECT_EQ(s.PEC_RDCFG, -1);
  EXPECT_EQ(s.PEC_RDCV, -1);
  EXPECT_EQ(s.PEC_RDFLG, -1);
  EXPECT_EQ(s.PEC_RDTMP, -1);
  EXPECT_EQ(m.ui.Check_AUTO.value(), 1);
  EXPECT_EQ(s.AUTORESTARTflag, 1);
  EXPECT_EQ(m.ui.Label_AUTOstatus.text(), "DISPLAY ONLY VALID DATA TRANSFERS!");
  EXPECT_TRUE(m.pecTable.loaded);
  EXPECT_EQ(m.ui.Combo1.listIndex(), 0);
  EXPECT_EQ(m.ui.Label12.text(), "BOARD#   1");
  EXPECT_EQ(m.ui.Label15.text(), "ADDRESS 81");
  EXPECT_TRUE(m.ui.Command4[0].visible());
  EXPECT_FALSE(m.ui.Command4[1].visible());
  EXPECT_EQ(m.ui.Text4[0].text(), "   E0   ");
  EXPECT_EQ(m.ui.Text4[0].foreColor(), kGrey);
  EXPECT_EQ(m.ui.Text2[0].text(), "0.000V ");
  for (const Control& c : m.ui.Text5) EXPECT_EQ(c.text(), "");
  for (const Control& c : m.ui.Text7) EXPECT_EQ(c.text(), "");
  // The stack is left alone: nothing but the identification was sent.
  EXPECT_EQ(f.script->written, std::vector<std::string>{"IZ"});
  EXPECT_TRUE(f.desktop.quits.empty());
}

TEST(Heartbeat, EveryTickReidentifiesAndALostBridgeEndsTheProgram) {
  MonitorFixture f;
  Monitor& m = f.start();
  timerTick(m);
  timerTick(m);
  EXPECT_EQ(f.script->count("IZ"), 3);
  EXPECT_FALSE(m.ended());

  f.script->unplugged = true;
  m.stack.OnOff = 1;
  timerTick(m);
  EXPECT_TRUE(m.ended());
  EXPECT_EQ(m.exitStatus(), 1);
  EXPECT_EQ(m.stack.OnOff, 0);
  EXPECT_EQ(m.ui.Label_IDstring.text(), "         ");
  EXPECT_TRUE(f.desktop.messages.empty());
  // Nothing runs any more once the program has ended.
  timerTick(m);
  m.ui.Command1[10].raiseClick();
  EXPECT_EQ(f.script->count("IZ"), 4);
  EXPECT_EQ(f.desktop.quits, std::vector<int>{1});
}

TEST(Heartbeat, AnotherChipAnsweringEndsTheProgramToo) {
  MonitorFixture f;
  Monitor& m = f.start();
  f.script->identity = "KESTRAV-3";
  timerTick(m);
  EXPECT_TRUE(m.ended());
}

// Line noise garbles a reply now and then; kestrav-log --keep-going asks
// again before it takes the bridge for lost, the window does not.
TEST(Heartbeat, AGarbledIdentificationIsAskedAgainOnlyWhereRetriesAreAllowed) {
  const std::string garbled = "KES\x8fRAV-2 BRIDGE";
  {
    MonitorFixture f;
    Monitor& m = f.start();
    timerTick(m);
    f.script->identities = {garbled};
    timerTick(m);
    EXPECT_TRUE(m.ended()) << "the window's rule: one wrong answer ends it";
  }
  MonitorFixture f;
  Monitor& m = f.start();
  m.identificationRetries = 3;
  f.script->identities = {garbled};
  timerTick(m);
  EXPECT_FALSE(m.ended());
  EXPECT_EQ(f.script->count("IZ"), 3);  // the start's, the garbled one and the one asked again
  f.script->identities = {garbled, garbled, garbled};
  timerTick(m);
  EXPECT_FALSE(m.ended());
  EXPECT_EQ(f.script->count("IZ"), 7);
  EXPECT_EQ(m.ui.Label_IDstring.text(), "KESTRAV-2");

  f.script->identities = {garbled, garbled, garbled, garbled};
  timerTick(m);
  EXPECT_TRUE(m.ended()) << "four wrong answers in a row: the bridge is lost";
  EXPECT_EQ(f.script->count("IZ"), 11);
  EXPECT_EQ(m.exitStatus(), 1);
}

TEST(Heartbeat, ABridgeReallyGoneStillEndsTheProgramWhenAskedAgain) {
  MonitorFixture f;
  Monitor& m = f.start();
  m.identificationRetries = 3;
  f.script->unplugged = true;
  timerTick(m);
  EXPECT_TRUE(m.ended());
  EXPECT_EQ(f.script->count("IZ"), 5);
  EXPECT_EQ(m.ui.Label_IDstring.text(), "         ");
}

TEST(Heartbeat, ATickNeverStartsInsideAnotherEvent) {
  MonitorFixture f;
  Monitor& m = f.start();
  int ticksInside = 0;
  // A handler that lets the timer fire while it runs, as a modal dialog would.
  m.ui.Command1[3].onClick([&](int) {
    ++m.handlerDepth;
    timerTick(m);
    ++ticksInside;
    --m.handlerDepth;
  });
  const int before = f.script->count("IZ");
  m.ui.Command1[3].raiseClick();
  EXPECT_EQ(ticksInside, 1);
  EXPECT_EQ(f.script->count("IZ"), before);
  // The timer does nothing before start-up has enabled it.
  MonitorFixture g;
  Monitor& fresh = g.build();
  timerTick(fresh);
  EXPECT_TRUE(g.script->written.empty());
}

TEST(Shutdown, ExitAndClosingEndWithStatusZero) {
  {
    MonitorFixture f;
    Monitor& m = f.start();
    m.ui.mnuExit.raiseClick();
    EXPECT_TRUE(m.ended());
    EXPECT_EQ(m.exitStatus(), 0);
    EXPECT_FALSE(m.ui.Timer1.enabled());
  }
  {
    MonitorFixture f;
    Monitor& m = f.start();
    closeRequested(m);
    closeRequested(m);
    EXPECT_EQ(f.desktop.quits, std::vector<int>{0});
  }
}

}  // namespace
}  // namespace kestrav::app
