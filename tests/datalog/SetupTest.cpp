#include <gtest/gtest.h>

#include <deque>
#include <optional>

#include "commands/ReadFlags.h"
#include "datalog/Collection.h"
#include "datalog/DatalogScript.h"
#include "datalog/SampleTexts.h"
#include "datalog/Setup.h"

namespace kestrav::datalog {
namespace {

using context::MessageAnswer;
using context::MessageButtons;
using context::MessageIcon;
using test::MonitorFixture;

constexpr const char* kContinuousStopCaption =
    "            STOP                    CONTINUOUS              READ CELLS";

bool datalogButtonsShown(const context::Monitor& m) {
  const auto& b = m.ui.Command1;
  EXPECT_EQ(b[10].visible(), !b[11].visible());
  EXPECT_EQ(b[11].visible(), b[12].visible());
  EXPECT_EQ(b[11].visible(), b[13].visible());
  return b[11].visible();
}

// Runs a new set-up that gets as far as "Is this okay?" and answers Cancel
// there, or Yes when the accepted interval is wanted in out; returns the
// question asked, or "" if none was.
std::string questionFor(const std::string& interval, state::DatalogState* out = nullptr) {
  MonitorFixture f;
  context::Monitor& m = f.start();
  f.desktop.answers = {MessageAnswer::Yes, out ? MessageAnswer::Yes : MessageAnswer::Cancel, MessageAnswer::OK};
  f.desktop.saveAnswers = {"/data/log.xls"};
  f.desktop.inputAnswers = {interval};
  mnuCreateNewSetup_Click(m);
  EXPECT_EQ(m.datalog.DATACOLLECTflag, out ? 1 : 0);
  if (out) {
    out->SAMPLEpoints = m.datalog.SAMPLEpoints;
    out->SAMPLEtime = m.datalog.SAMPLEtime;
  }
  return f.desktop.messages.size() >= 2 ? f.desktop.messages[1].text : "";
}

TEST(NewSetup, TheIntervalBecomesSamplesOfEightTenthsOfASecondRoundedHalfToEven) {
  struct Case {
    const char* typed;
    int samples;
    const char* time;
  };
  for (const Case& c : {Case{"10", 12, "9.600"}, Case{"1", 1, "0.800"}, Case{"60", 75, "60.000"},
                        // the single-precision 0.8 makes 2.8 / 0.8 = 3.4999999
                        Case{"2.8", 3, "2.400"}, Case{"12s", 15, "12.000"}, Case{" 4", 5, "4.000"},
                        Case{"0.6", 1, "0.800"}, Case{"1e1", 12, "9.600"}, Case{"1.2", 2, "1.600"}}) {
    state::DatalogState d;
    EXPECT_EQ(questionFor(c.typed, &d), std::string("There will be ") + std::to_string(c.samples) +
                                            " samples read for a datalogging time of " + c.time +
                                            " seconds. Is this okay?")
        << c.typed;
    EXPECT_EQ(d.SAMPLEpoints, c.samples) << c.typed;
    EXPECT_EQ(d.SAMPLEtime, static_cast<float>(c.samples) * 0.8f) << c.typed;
  }
}

TEST(NewSetup, AnIntervalBelowOneSampleIsRefusedQuotingWhatWasTyped) {
  for (const char* typed : {"0.4", "abc", "-5", "0", ".", "1e-400"}) {
    MonitorFixture f;
    context::Monitor& m = f.start();
    f.desktop.answers = {MessageAnswer::Yes, MessageAnswer::OK};
    f.desktop.saveAnswers = {"/data/log.xls"};
    f.desktop.inputAnswers = {typed};  // then the prompt again, cancelled
    mnuCreateNewSetup_Click(m);

    ASSERT_EQ(f.desktop.messages.size(), 2u) << typed;
    const test::ShownMessage& low = f.desktop.messages[1];
    EXPECT_EQ(low.text, std::string("The Time Interval of ") + typed + " seconds is too low.");
    EXPECT_EQ(low.title, "Low Time Interval For New Datalog Settings!");
    EXPECT_EQ(low.buttons, MessageButtons::OKCancel);
    EXPECT_EQ(low.icon, MessageIcon::Exclamation);
    EXPECT_EQ(f.desktop.inputPrompts.size(), 2u) << "OK asks again";
    EXPECT_EQ(m.datalog.SAMPLEpoints, 0) << typed << ": a refused interval is not kept";
    EXPECT_EQ(m.datalog.DATACOLLECTflag, 0);
    EXPECT_FALSE(datalogButtonsShown(m));
  }
}

TEST(NewSetup, CancelOnTheTooLowBoxEndsTheSetup) {
  MonitorFixture f;
  context::Monitor& m = f.start();
  f.desktop.answers = {MessageAnswer::Yes, MessageAnswer::Cancel};
  f.desktop.saveAnswers = {"/data/log.xls"};
  f.desktop.inputAnswers = {"0.4", "10"};
  mnuCreateNewSetup_Click(m);
  EXPECT_EQ(f.desktop.inputPrompts.size(), 1u);
  EXPECT_EQ(m.datalog.DATACOLLECTflag, 0);
  EXPECT_EQ(m.stack.OnOff, 0);
}

TEST(NewSetup, AnAcceptedSetupAsksInOrderAndStartsCollecting) {
  test::pinLocalTimeToUtc();
  MonitorFixture f;
  context::Monitor& m = f.start();
  test::scriptAcceptedSetup(f.desktop, "/data/run1.xls", "10");
  mnuCreateNewSetup_Click(m);

  ASSERT_EQ(f.desktop.messages.size(), 3u);
  const auto& q = f.desktop.messages;
  EXPECT_EQ(q[0].text, "Is your current Configuration for each board okay for Datalogging?");
  EXPECT_EQ(q[0].title, "Create New Datalog Settings");
  EXPECT_EQ(q[0].buttons, MessageButtons::YesNo);
  EXPECT_EQ(q[0].icon, MessageIcon::Question);
  EXPECT_EQ(q[0].defaultButton, MessageAnswer::No);
  EXPECT_EQ(q[1].title, "New Datalog Setup");
  EXPECT_EQ(q[1].buttons, MessageButtons::YesNoCancel);
  EXPECT_EQ(q[1].icon, MessageIcon::Question);
  EXPECT_EQ(q[1].defaultButton, MessageAnswer::Yes);
  EXPECT_EQ(q[2].text, "Click on OK button to begin data collection.");
  EXPECT_EQ(q[2].title, "Ready for data collection");
  EXPECT_EQ(q[2].buttons, MessageButtons::OK);
  EXPECT_EQ(q[2].icon, MessageIcon::Information);
  ASSERT_EQ(f.desktop.inputPrompts.size(), 1u);
  EXPECT_EQ(f.desktop.inputPrompts[0],
            "Enter Time Interval in seconds (Note Cell Voltages are read every 800mS with this GUI):");

  const state::DatalogState& d = m.datalog;
  EXPECT_EQ(d.NewFile, "/data/run1.xls");
  EXPECT_EQ(d.DATACOLLECTflag, 1);
  EXPECT_EQ(d.SETpoint, 12);
  EXPECT_EQ(d.DATApoint, 1);
  EXPECT_EQ(d.DSETUPstamp, "02:05:09 PM @ 12-07-2026");
  EXPECT_EQ(m.stack.OnOff, 1);
  EXPECT_EQ(m.stack.BRDread, 0);
  EXPECT_TRUE(datalogButtonsShown(m));
  EXPECT_EQ(m.ui.Command1[11].text(), "PAUSE D-LOG");
  EXPECT_TRUE(m.ui.Command1[11].enabled());
  EXPECT_EQ(m.ui.focused(), &m.ui.Command1[11]);
  EXPECT_EQ(m.ui.Shape3.fillColor(), 0x00FF00u);
  for (int b : {2, 4, 6, 7, 8, 9}) EXPECT_FALSE(m.ui.Command1[b].enabled()) << b;
  for (int box : {2, 4}) {
    EXPECT_EQ(m.ui.Check5[box].value(), 1);
    EXPECT_FALSE(m.ui.Check5[box].enabled());
    EXPECT_EQ(m.stack.board[0].BCASTflag[box], 1);  // the click handling ran
  }
  EXPECT_TRUE(m.ui.mnuUsePreviousSetup.enabled());
}

TEST(NewSetup, UncheckedConfigurationSendsTheUserBackWithoutAskingForAFile) {
  MonitorFixture f;
  context::Monitor& m = f.start();
  f.desktop.saveAnswers = {"/data/log.xls"};
  mnuCreateNewSetup_Click(m);  // the default button of the question is No
  ASSERT_EQ(f.desktop.messages.size(), 2u);
  EXPECT_EQ(f.desktop.messages[1].text, "For each board, set the desired configuration for Datalogging first!");
  EXPECT_EQ(f.desktop.messages[1].title, "Create New Datalog Settings");
  EXPECT_EQ(f.desktop.messages[1].buttons, MessageButtons::OK);
  EXPECT_EQ(f.desktop.messages[1].icon, MessageIcon::Exclamation);
  EXPECT_EQ(f.desktop.saveAnswers.size(), 1u);
  EXPECT_EQ(m.datalog.DATACOLLECTflag, 0);
  EXPECT_FALSE(datalogButtonsShown(m));
}

TEST(NewSetup, AnEmptyOrCancelledIntervalEndsWithTheContinuousButton) {
  MonitorFixture f;
  context::Monitor& m = f.start();
  f.desktop.answers = {MessageAnswer::Yes};
  f.desktop.saveAnswers = {"/data/log.xls"};
  mnuCreateNewSetup_Click(m);  // no input answer: cancelled
  EXPECT_EQ(f.desktop.messages.size(), 1u);
  EXPECT_EQ(m.datalog.DATACOLLECTflag, 0);
  EXPECT_EQ(m.datalog.NewFile, "") << "the file of an abandoned set-up is not kept";
  EXPECT_EQ(m.stack.OnOff, 0);
  EXPECT_FALSE(datalogButtonsShown(m));
  EXPECT_TRUE(m.ui.Command1[10].visible());
}

TEST(NewSetup, NoAsksForTheIntervalAgainAndKeepsTheFile) {
  MonitorFixture f;
  context::Monitor& m = f.start();
  f.desktop.answers = {MessageAnswer::Yes, MessageAnswer::No, MessageAnswer::Yes, MessageAnswer::OK};
  f.desktop.saveAnswers = {"/data/first.xls"};
  f.desktop.inputAnswers = {"60", "1"};
  mnuCreateNewSetup_Click(m);
  EXPECT_EQ(f.desktop.inputPrompts.size(), 2u);
  EXPECT_EQ(m.datalog.NewFile, "/data/first.xls");
  EXPECT_EQ(m.datalog.SETpoint, 1);
  EXPECT_EQ(m.datalog.DATACOLLECTflag, 1);
}

TEST(NewSetup, ACancelledFileDialogOrAnOversizedCountChangesNothing) {
  const std::string beyondDouble = "1" + std::string(400, '0');
  for (const char* typed : {"", "30000", "1e40", "99999999999999999999999999999999999999999", beyondDouble.c_str()}) {
    MonitorFixture f;
    context::Monitor& m = f.start();
    state::DatalogState& d = m.datalog;
    d.NewFile = "/data/old.xls";
    d.SETpoint = 5;
    d.DATApoint = 4;
    d.SAMPLEpoints = 5;
    f.desktop.answers = {MessageAnswer::Yes};
    if (*typed) {
      f.desktop.saveAnswers = {"/data/new.xls"};
      f.desktop.inputAnswers = {typed};
    }  // else the dialog is cancelled
    mnuCreateNewSetup_Click(m);
    EXPECT_EQ(f.desktop.messages.size(), 1u) << typed;  // no message of its own
    EXPECT_EQ(d.NewFile, "/data/old.xls");
    EXPECT_EQ(d.SETpoint, 5);
    EXPECT_EQ(d.DATApoint, 4);
    EXPECT_EQ(d.SAMPLEpoints, 5);
    EXPECT_EQ(d.DATACOLLECTflag, 0);
  }
}

// The ring holds every count the set-up accepts: up to 32767 samples; one
// more does not fit 16 bits and ends the set-up quietly.
TEST(NewSetup, UpTo32767SamplesAreAcceptedAndOneMoreEndsTheSetupWithoutAMessage) {
  MonitorFixture f;
  context::Monitor& m = f.start();
  f.desktop.answers = {MessageAnswer::Yes, MessageAnswer::Yes, MessageAnswer::OK};
  f.desktop.saveAnswers = {"/data/log.xls"};
  f.desktop.inputAnswers = {"26213.6"};
  mnuCreateNewSetup_Click(m);
  ASSERT_EQ(f.desktop.messages.size(), 3u);
  EXPECT_EQ(f.desktop.messages[1].text.substr(0, 29), "There will be 32767 samples r");
  EXPECT_EQ(m.datalog.SETpoint, 32767);
  EXPECT_EQ(m.datalog.DATACOLLECTflag, 1);

  f.desktop.messages.clear();
  f.desktop.answers = {MessageAnswer::Yes};
  f.desktop.saveAnswers = {"/data/longer.xls"};
  f.desktop.inputAnswers = {"26214.4"};
  mnuCreateNewSetup_Click(m);
  EXPECT_EQ(f.desktop.messages.size(), 1u);
  EXPECT_EQ(m.datalog.SETpoint, 32767);
  EXPECT_EQ(m.datalog.DATACOLLECTflag, 1);
}

TEST(NewSetup, GivingUpANewSetupLeavesTheDatalogInProgressAlone) {
  MonitorFixture f;
  context::Monitor& m = f.start();
  test::scriptAcceptedSetup(f.desktop, "/data/run.xls", "10");
  mnuCreateNewSetup_Click(m);
  m.datalog.DATApoint = 6;  // samples collected meanwhile

  f.desktop.answers = {MessageAnswer::Yes};
  f.desktop.saveAnswers = {"/data/other.xls"};
  mnuCreateNewSetup_Click(m);  // interval cancelled
  f.desktop.answers = {MessageAnswer::No, MessageAnswer::OK};
  mnuCreateNewSetup_Click(m);  // configuration not okay

  EXPECT_EQ(m.datalog.DATACOLLECTflag, 1);
  EXPECT_EQ(m.datalog.DATApoint, 6);
  EXPECT_EQ(m.datalog.SETpoint, 12);
  EXPECT_EQ(m.stack.OnOff, 1);
  EXPECT_TRUE(datalogButtonsShown(m));
}

// Whichever way a new set-up is given up, the accepted one and its ring stay
// as they were, so VIEW still writes the running datalog's file and the
// workbook's counts still describe its ring.
TEST(NewSetup, AnAbandonedSetupKeepsTheAcceptedFileIntervalAndRing) {
  struct Road {
    const char* name;
    std::deque<MessageAnswer> answers;
    std::deque<std::optional<std::string>> files;
    std::deque<std::string> intervals;
  };
  const Road roads[] = {
      {"configuration not okay", {MessageAnswer::No, MessageAnswer::OK}, {"/data/other.xls"}, {"60"}},
      {"save dialog cancelled", {MessageAnswer::Yes}, {std::nullopt}, {"60"}},
      {"empty interval", {MessageAnswer::Yes}, {"/data/other.xls"}, {}},
      {"Cancel on the question", {MessageAnswer::Yes, MessageAnswer::Cancel}, {"/data/other.xls"}, {"60"}},
      {"No, then Cancel", {MessageAnswer::Yes, MessageAnswer::No}, {"/data/other.xls"}, {"60"}},
      {"too low, then Cancel", {MessageAnswer::Yes, MessageAnswer::Cancel}, {"/data/other.xls"}, {"0.1"}},
      {"too long for 16 bits", {MessageAnswer::Yes}, {"/data/other.xls"}, {"1e30"}},
      {"too long for the store", {MessageAnswer::Yes, MessageAnswer::OK}, {"/data/other.xls"}, {"900"}},
  };
  for (const Road& road : roads) {
    MonitorFixture f;
    context::Monitor& m = f.start();
    test::scriptAcceptedSetup(f.desktop, "/data/run.xls", "10");
    mnuCreateNewSetup_Click(m);
    for (int pass = 0; pass < 12; ++pass) COLLECT_DATA_xls(m);
    m.datalog.DATApoint = 1;  // the cycle wraps the 12-point ring
    m.stack.CYCLEflag = 1;
    COLLECT_DATA_xls(m);
    const state::DatalogState& d = m.datalog;
    const int point = d.DATApoint;

    f.desktop.answers = road.answers;
    f.desktop.saveAnswers = road.files;
    f.desktop.inputAnswers = road.intervals;
    mnuCreateNewSetup_Click(m);

    EXPECT_EQ(d.NewFile, "/data/run.xls") << road.name;
    EXPECT_EQ(d.SAMPLEpoints, 12) << road.name;
    EXPECT_EQ(d.SAMPLEtime, 12 * 0.8f) << road.name;
    EXPECT_EQ(d.SETpoint, 12) << road.name;
    EXPECT_EQ(d.DATApoint, point) << road.name;
    EXPECT_EQ(d.DATACOLLECTflag, 1) << road.name;
    EXPECT_EQ(m.stack.CYCLEflag, 1) << road.name;
    EXPECT_EQ(m.stack.OnOff, 1) << road.name;
    EXPECT_FALSE(SampleTexts(d.DATAlog).at(0, 0, 12).empty()) << road.name << ": the ring is kept";
    REPORT_DLOG_current(m);
    EXPECT_EQ(m.ui.Command1[13].toolTip(), "VIEW 12 SAMPLES FOR 9.600 SECONDS.") << road.name;
  }
}

TEST(NewSetup, TheSaveDialogOffersTheLastDatalogAfterAStop) {
  test::pinLocalTimeToUtc();
  MonitorFixture f;
  context::Monitor& m = f.start();
  test::scriptAcceptedSetup(f.desktop, "/data/run.xls", "10");
  mnuCreateNewSetup_Click(m);
  ASSERT_EQ(f.desktop.suggestedPaths, std::vector<std::string>{""});
  test::scriptAcceptedSetup(f.desktop, "/data/run2.xls", "10");
  mnuCreateNewSetup_Click(m);
  EXPECT_EQ(f.desktop.suggestedPaths.back(), "/data/run.xls") << "the file chosen before";

  m.ui.Command1[12].raiseClick();  // STOP writes the last datalog
  ASSERT_FALSE(m.datalog.LastDATAlog.empty());
  f.desktop.answers = {MessageAnswer::Yes};
  f.desktop.saveAnswers = {std::nullopt};
  mnuCreateNewSetup_Click(m);
  EXPECT_EQ(f.desktop.suggestedPaths.back(), m.datalog.LastDATAlog);
}

TEST(DatalogToggle, AReadGivingUpStopsTheCycleAndTheButtonOffersToResume) {
  MonitorFixture f;
  context::Monitor& m = f.start();
  test::scriptAcceptedSetup(f.desktop, "/data/run.xls", "10");
  mnuCreateNewSetup_Click(m);
  ASSERT_EQ(m.ui.Command1[11].text(), "PAUSE D-LOG");
  // Every flag reply arrives whole with a wrong PEC.
  f.script->responder = [](const std::string&) { return std::string("810400000001"); };
  commands::RDFLG_ADDRESSABLE_PEC(m);
  ASSERT_EQ(f.desktop.messages.back().text.rfind("Excessive READ FLAG", 0), 0u);
  EXPECT_EQ(m.stack.OnOff, 0);
  EXPECT_EQ(m.ui.Command1[11].text(), "START D-LOG");
  EXPECT_TRUE(m.ui.Command1[11].visible());

  m.ui.Command1[11].raiseClick();  // resumes the datalog
  EXPECT_EQ(m.stack.OnOff, 1);
  EXPECT_EQ(m.ui.Command1[11].text(), "PAUSE D-LOG");
}

TEST(PreviousSetup, OfferedOnlyOnceADatalogHasStartedAndReusesItsRing) {
  MonitorFixture f;
  context::Monitor& m = f.start();
  EXPECT_FALSE(m.ui.mnuUsePreviousSetup.enabled());
  EXPECT_TRUE(m.ui.mnuCreateNewSetup.enabled());
  EXPECT_FALSE(m.ui.mnuViewLastDatalog.enabled());

  f.desktop.answers = {MessageAnswer::Yes, MessageAnswer::Cancel};
  f.desktop.saveAnswers = {"/data/x.xls"};
  f.desktop.inputAnswers = {"10"};
  mnuCreateNewSetup_Click(m);
  EXPECT_FALSE(m.ui.mnuUsePreviousSetup.enabled()) << "a set-up that never started";

  test::scriptAcceptedSetup(f.desktop, "/data/run.xls", "10");
  mnuCreateNewSetup_Click(m);
  EXPECT_TRUE(m.ui.mnuUsePreviousSetup.enabled());
  m.ui.Command1[12].raiseClick();  // STOP
  // A later set-up abandoned after its interval: 75 samples typed, 12 kept.
  f.desktop.answers = {MessageAnswer::Yes, MessageAnswer::Cancel};
  f.desktop.saveAnswers = {"/data/other.xls"};
  f.desktop.inputAnswers = {"60"};
  mnuCreateNewSetup_Click(m);
  ASSERT_EQ(m.datalog.SAMPLEpoints, 12);

  f.desktop.messages.clear();
  f.desktop.answers = {MessageAnswer::Yes, MessageAnswer::OK};
  mnuUsePreviousSetup_Click(m);
  ASSERT_EQ(f.desktop.messages.size(), 2u);
  const test::ShownMessage& q = f.desktop.messages[0];
  EXPECT_EQ(q.text, "Your Previous Setup uses 12 samples read for a datalogging time of 9.600 seconds. Is this okay?");
  EXPECT_EQ(q.title, "Previous Datalog Setup");
  EXPECT_EQ(q.buttons, MessageButtons::YesNoCancel);
  EXPECT_EQ(q.defaultButton, MessageAnswer::Yes);
  EXPECT_EQ(f.desktop.messages[1].title, "Ready for data collection");
  EXPECT_EQ(m.datalog.SETpoint, 12);
  EXPECT_EQ(m.datalog.NewFile, "/data/run.xls");  // the file of the last accepted set-up
  EXPECT_EQ(m.datalog.DATACOLLECTflag, 1);
  EXPECT_EQ(m.datalog.DATApoint, 1);
  EXPECT_EQ(m.stack.OnOff, 1);
  EXPECT_EQ(m.ui.Command1[11].text(), "PAUSE D-LOG");
  EXPECT_TRUE(datalogButtonsShown(m));
}

TEST(PreviousSetup, NoRunsTheNewDialogueAndCancelLeavesNoDatalog) {
  MonitorFixture f;
  context::Monitor& m = f.start();
  m.datalog.SETpoint = 12;
  f.desktop.answers = {MessageAnswer::No, MessageAnswer::No, MessageAnswer::OK};
  mnuUsePreviousSetup_Click(m);
  ASSERT_EQ(f.desktop.messages.size(), 3u);
  EXPECT_EQ(f.desktop.messages[1].text, "Is your current Configuration for each board okay for Datalogging?");
  EXPECT_EQ(m.stack.OnOff, 0);

  f.desktop.answers = {MessageAnswer::Cancel};
  mnuUsePreviousSetup_Click(m);
  EXPECT_EQ(m.datalog.DATACOLLECTflag, 0);
  EXPECT_EQ(m.stack.OnOff, 0);
  EXPECT_FALSE(datalogButtonsShown(m));
}

TEST(DatalogToggle, PauseHandsTheControlsBackAndResumeKeepsTheRing) {
  MonitorFixture f;
  context::Monitor& m = f.start();
  test::scriptAcceptedSetup(f.desktop, "/data/run.xls", "10");
  mnuCreateNewSetup_Click(m);
  m.datalog.DATApoint = 5;
  m.stack.CYCLEflag = 1;
  m.datalog.DATAlog.setText(0, 0, 4, "kept");

  m.ui.Command1[11].raiseClick();
  EXPECT_EQ(m.stack.OnOff, 0);
  EXPECT_EQ(m.ui.Command1[11].text(), "START D-LOG");
  EXPECT_EQ(m.ui.Shape3.fillColor(), 0x0000FFu);
  for (int b : {2, 4, 6, 7, 8, 9}) EXPECT_TRUE(m.ui.Command1[b].enabled()) << b;
  for (int box : {2, 4}) {
    EXPECT_TRUE(m.ui.Check5[box].enabled());
    EXPECT_EQ(m.ui.Check5[box].value(), 1);
  }
  for (int i = 1; i <= 3; ++i) EXPECT_TRUE(m.ui.Label18[i].enabled());
  EXPECT_TRUE(datalogButtonsShown(m));

  m.stack.BRDread = 1;
  m.ui.Command1[11].raiseClick();
  EXPECT_EQ(m.stack.OnOff, 1);
  EXPECT_EQ(m.ui.Command1[11].text(), "PAUSE D-LOG");
  EXPECT_EQ(m.stack.BRDread, 0);
  EXPECT_FALSE(m.ui.Command1[6].enabled());
  EXPECT_EQ(m.datalog.DATApoint, 5);
  EXPECT_EQ(m.stack.CYCLEflag, 1);
  EXPECT_EQ(SampleTexts(m.datalog.DATAlog).at(0, 0, 4), "kept");
}

TEST(DatalogToggle, StopLeavesAPlainCycleRunningBehindTheContinuousButton) {
  MonitorFixture f;
  context::Monitor& m = f.start();
  test::scriptAcceptedSetup(f.desktop, "/data/run.xls", "2.4");
  mnuCreateNewSetup_Click(m);
  m.datalog.DATAlog.setText(0, 5, 3, "3.600");
  m.datalog.DATApoint = 2;
  m.ui.Command1[12].raiseClick();

  EXPECT_EQ(m.stack.OnOff, 1);
  EXPECT_EQ(m.datalog.DATACOLLECTflag, 0);
  EXPECT_EQ(m.datalog.DATApoint, 1);
  EXPECT_FALSE(datalogButtonsShown(m));
  EXPECT_EQ(m.ui.Command1[10].text(), kContinuousStopCaption);
  EXPECT_TRUE(m.ui.Command1[6].enabled());
  EXPECT_FALSE(m.ui.Command1[7].enabled());
  EXPECT_EQ(SampleTexts(m.datalog.DATAlog).at(0, 5, 3), "");
  EXPECT_TRUE(m.ui.mnuViewLastDatalog.enabled());
  // The continuous button stops that cycle.
  m.ui.Command1[10].raiseClick();
  EXPECT_EQ(m.stack.OnOff, 0);
}

TEST(DatalogStore, ClearingEmptiesEveryPointOfTheRingAndLeavesTheWrapMark) {
  MonitorFixture f;
  context::Monitor& m = f.start();
  state::DatalogState& d = m.datalog;
  d.SETpoint = 3;
  d.DATApoint = 2;
  m.stack.CYCLEflag = 1;
  for (int b : {0, 4, 9})
    for (int point = 1; point <= 3; ++point)
      for (int c : {0, 17, 20}) d.DATAlog.setText(b, c, point, "x");
  CLEAR_DATAlog(m);
  for (int b : {0, 4, 9})
    for (int point = 1; point <= 3; ++point)
      for (int c : {0, 17, 20}) EXPECT_EQ(SampleTexts(d.DATAlog).at(b, c, point), "") << b << "/" << c << "/" << point;
  EXPECT_EQ(d.DATApoint, 1);
  EXPECT_EQ(m.stack.CYCLEflag, 1);
}

TEST(DatalogStore, ANewSetupStartsAnUnwrappedRing) {
  MonitorFixture f;
  context::Monitor& m = f.start();
  test::scriptAcceptedSetup(f.desktop, "/data/a.xls", "2.4");
  mnuCreateNewSetup_Click(m);
  m.stack.CYCLEflag = 1;  // the first ring has wrapped
  test::scriptAcceptedSetup(f.desktop, "/data/b.xls", "10");
  mnuCreateNewSetup_Click(m);
  EXPECT_EQ(m.stack.CYCLEflag, 0);
  EXPECT_EQ(m.datalog.DATApoint, 1);
}

TEST(DatalogButtons, AnyOtherFlagValueLeavesTheButtonsAlone) {
  MonitorFixture f;
  context::Monitor& m = f.start();
  m.ui.Command1[12].setVisible(true);
  m.datalog.DATACOLLECTflag = 2;
  SET_collect_BUTTONS(m);
  EXPECT_TRUE(m.ui.Command1[10].visible());
  EXPECT_TRUE(m.ui.Command1[12].visible());
}

}  // namespace
}  // namespace kestrav::datalog
