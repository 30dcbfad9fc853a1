// The headless desktop and the user's steps on the real routines, on the
// simulator without pacing: the set-up is clicked through from the options,
// every other message box becomes one line on the console.

#include <gtest/gtest.h>

#include <sstream>

#include "app/Events.h"
#include "app/UserSteps.h"
#include "context/Monitor.h"
#include "headless/HeadlessDesktop.h"
#include "headless/LogRun.h"
#include "headless/Progress.h"
#include "headless/Session.h"
#include "link/ports/SimulatedPort.h"
#include "sim/Simulator.h"
#include "support/FakeDesktop.h"

namespace kestrav::headless {
namespace {

struct HeadlessMonitor {
  std::ostringstream err;
  Console console{err, false};
  HeadlessDesktop desktop{console, "kestrav-log", "/tmp"};
  test::FixedClock clock;
  std::shared_ptr<sim::Simulator> simulator = std::make_shared<sim::Simulator>(sim::SimOptions{});
  context::Monitor m{std::make_unique<link::SimulatedPort>(simulator, false), desktop, clock};

  HeadlessMonitor() {
    app::wireMainWindow(m);
    app::loadMainWindow(m);
  }
};

TEST(HeadlessSteps, BoardsThresholdsAndSetupGoThroughTheWindowsRoutines) {
  HeadlessMonitor h;
  context::Monitor& m = h.m;
  ASSERT_FALSE(m.ended());
  app::chooseBoards(m, 3);
  EXPECT_EQ(m.stack.CARDSTACK, 2);
  EXPECT_EQ(m.ui.Combo1.listIndex(), 2);

  app::chooseThresholdScope(m, true);
  app::typeThresholds(m, "3.1", "4.2");
  app::setBroadcast(m, 5, true);
  ASSERT_TRUE(app::writeConfig(m));
  for (int b = 0; b <= 2; ++b) {
    EXPECT_EQ(m.stack.board[b].VUVcode, 129) << b;
    EXPECT_EQ(m.stack.board[b].VOVcode, 175) << b;
  }
  EXPECT_EQ(m.stack.board[3].VOVcode, 0);  // beyond the stack
  EXPECT_EQ(m.ui.Text2[0].text(), "3.096V ");
  EXPECT_EQ(m.ui.Text2[1].text(), "4.200V ");
  EXPECT_EQ(m.ui.Text2[1].foreColor(), context::kBlack);  // written to the chips

  ASSERT_TRUE(createSetup(m, h.desktop, "/tmp/kestrav-headless/run1.xls", "8"));
  EXPECT_EQ(m.datalog.NewFile, "/tmp/kestrav-headless/run1.xls");
  EXPECT_EQ(m.datalog.SETpoint, 10);
  EXPECT_EQ(m.stack.OnOff, 1);
  // Nothing of the set-up reached the console.
  EXPECT_EQ(h.err.str(), "");
  EXPECT_EQ(h.desktop.messagesShown(), 0);

  // A pass of the cycle over the first board records a sample; the range
  // of the stack's cells is that of the cells read.
  for (int i = 0; i < 4; ++i) app::timerTick(m);
  EXPECT_EQ(m.datalog.DATApoint, 2);
  ProgressFigures f;
  stackCellRange(m, f);
  ASSERT_TRUE(f.lowest && f.highest);
  EXPECT_GT(*f.lowest, 2.0f);
  EXPECT_LE(*f.lowest, *f.highest);
  EXPECT_LT(*f.highest, 5.0f);
}

TEST(HeadlessSteps, OtherMessagesBecomeOneLineEach) {
  HeadlessMonitor h;
  app::typeThresholds(h.m, "4.2", "3.1");  // VOV first is stored; then VUV is not below it
  EXPECT_EQ(h.err.str(), "kestrav-log: VUV must be less than VOV\n");
  EXPECT_EQ(h.desktop.messageBox("The datalog could not be saved to the workbook\n\n/x/run.xls\n\nNo space", "t",
                                 context::MessageButtons::OK, context::MessageIcon::Exclamation,
                                 context::MessageAnswer::OK),
            context::MessageAnswer::OK);
  EXPECT_EQ(h.err.str(),
            "kestrav-log: VUV must be less than VOV\n"
            "kestrav-log: The datalog could not be saved to the workbook /x/run.xls No space\n");
  EXPECT_EQ(h.desktop.messagesShown(), 2);
}

struct WrittenStrings : link::TransactionObserver {
  std::vector<std::string> written;
  void transactionDone(const link::Transaction& t) override { written.push_back(t.written); }
};

// The boxes judge a pair on its codes: 3.001 V and 3.002 V are one code.
// Nothing of a pair they refuse may reach the chips; a pair they take goes
// to every chip in one broadcast WRCFG.
TEST(HeadlessSteps, ThresholdsForTheStackAreOneBroadcastOrNothing) {
  std::ostringstream err;
  Console console{err, false};
  HeadlessDesktop desktop{console, "kestrav-log", "/tmp"};
  test::FixedClock clock;
  Session s(std::make_unique<link::SimulatedPort>(std::make_shared<sim::Simulator>(sim::SimOptions{}), false), desktop,
            clock);
  ASSERT_FALSE(s.start());
  ASSERT_FALSE(s.setBoards(2));
  WrittenStrings link;
  s.monitor().link.setObserver(&link);
  Failure f = writeThresholds(s, "3.001", "3.002");
  EXPECT_EQ(f.kind, Fault::OutOfRange);
  EXPECT_EQ(f.text, "VUV must be less than VOV");
  EXPECT_TRUE(link.written.empty());
  EXPECT_TRUE(writeThresholds(s, "4.2", "3.1"));
  EXPECT_TRUE(link.written.empty());

  EXPECT_FALSE(writeThresholds(s, "3.1", "4.2"));
  ASSERT_EQ(link.written.size(), 1u);
  EXPECT_EQ(link.written[0].rfind("MSxT01S", 0), 0u) << link.written[0];  // the broadcast WRCFG
  for (int b = 0; b < 2; ++b) EXPECT_EQ(s.monitor().stack.board[b].VOVcode, 175) << b;
  s.monitor().link.setObserver(nullptr);
  EXPECT_EQ(err.str(), "");
}

// A set-up that refuses the interval asks for it again: the headless user
// cancels instead of looping, and the set-up ends without a datalog.
TEST(HeadlessSteps, ARefusedIntervalEndsTheSetupInsteadOfLooping) {
  HeadlessMonitor h;
  EXPECT_FALSE(createSetup(h.m, h.desktop, "/tmp/run.xls", "0.1"));
  EXPECT_EQ(h.err.str(), "kestrav-log: The Time Interval of 0.1 seconds is too low.\n");
  EXPECT_EQ(h.m.datalog.DATACOLLECTflag, 0);
  EXPECT_EQ(h.m.stack.OnOff, 0);
  // Outside a set-up there is nobody to pick a file or type an interval.
  EXPECT_EQ(h.desktop.saveFileDialog("Excel file (*.xls) |*.xls", "/tmp/last.xls"), std::nullopt);
  EXPECT_EQ(h.desktop.inputBox("p", "t", ""), "");
}

}  // namespace
}  // namespace kestrav::headless
