#include <gtest/gtest.h>

#include "app/Events.h"
#include "datalog/DatalogScript.h"
#include "datalog/SampleTexts.h"
#include "datalog/Viewing.h"

namespace kestrav::datalog {
namespace {

using test::MonitorFixture;

// Two simulated boards, a datalog of `interval` seconds set up through the
// menu; workbooks go to a scratch folder.
context::Monitor& collecting(MonitorFixture& f, const std::string& interval, const std::string& name) {
  context::Monitor& m = f.startOnSimulator();
  m.ui.Combo1.setListIndex(1);
  const std::string folder = test::scratchFolder(name);
  f.desktop.folder = folder;
  test::scriptAcceptedSetup(f.desktop, folder + "/run.xls", interval);
  m.ui.mnuCreateNewSetup.raiseClick();
  return m;
}

void ticks(context::Monitor& m, int n) {
  for (int i = 0; i < n; ++i) app::timerTick(m);
}

TEST(DatalogFlow, EveryPassOverABoardRecordsTheWholeStack) {
  test::pinLocalTimeToUtc();
  MonitorFixture f;
  context::Monitor& m = collecting(f, "10", "passes");
  ASSERT_EQ(m.datalog.SETpoint, 12);
  ASSERT_EQ(m.stack.CARDSTACK, 1);
  const SampleTexts log(m.datalog.DATAlog);

  ticks(m, 1);  // configuration, cells and the report of board 0
  EXPECT_EQ(m.ui.Command1[13].toolTip(), "VIEW 0 SAMPLES FOR 0.000 SECONDS.");
  EXPECT_EQ(m.datalog.DCURRENTstamp, "02:05:09 PM @ 12-07-2026");
  ticks(m, 3);  // temperatures, flags, the sample
  EXPECT_EQ(m.datalog.DATApoint, 2);
  EXPECT_EQ(log.at(0, 0, 1), "02:05:09 PM @ 12-07-2026");
  EXPECT_EQ(log.at(0, 1, 1).back(), '.');
  EXPECT_EQ(log.at(0, 1, 1).size(), std::string("E0, 00, 00, 00, 00, 00.").size());
  EXPECT_EQ(log.at(0, 5, 1).substr(0, 2), "3.");  // read from the simulated cells
  EXPECT_EQ(log.at(0, 17, 1).find("NR"), std::string::npos) << log.at(0, 17, 1);
  EXPECT_EQ(log.at(1, 5, 1), "0.000");  // board 1 has not been read yet
  EXPECT_EQ(log.at(2, 0, 1), "");

  ticks(m, 4);  // the pass over board 1
  EXPECT_EQ(m.ui.Command1[13].toolTip(), "VIEW 1 SAMPLES FOR 0.800 SECONDS.");
  EXPECT_EQ(m.datalog.DATApoint, 3);
  EXPECT_EQ(log.at(1, 5, 2).substr(0, 2), "3.");
  EXPECT_EQ(log.at(0, 5, 2), log.at(0, 5, 1)) << "board 0 repeats its latest reading";
}

TEST(DatalogFlow, TheRingWrapsAndOverwritesTheOldestSample) {
  test::pinLocalTimeToUtc();
  MonitorFixture f;
  context::Monitor& m = collecting(f, "2.4", "ring");  // 3 points
  ASSERT_EQ(m.datalog.SETpoint, 3);
  // Five samples, each stamped ten seconds after the one before.
  for (int sample = 0; sample < 5; ++sample) {
    ticks(m, 4);
    f.clock.when += std::chrono::seconds(10);
  }
  const SampleTexts log(m.datalog.DATAlog);
  EXPECT_EQ(log.at(0, 0, 1), "02:05:39 PM @ 12-07-2026");  // sample 4
  EXPECT_EQ(log.at(0, 0, 2), "02:05:49 PM @ 12-07-2026");  // sample 5
  EXPECT_EQ(log.at(0, 0, 3), "02:05:29 PM @ 12-07-2026");  // sample 3
  EXPECT_EQ(m.datalog.DATApoint, 3);
  EXPECT_EQ(m.stack.CYCLEflag, 1);
  ticks(m, 1);
  EXPECT_EQ(m.ui.Command1[13].toolTip(), "VIEW 3 SAMPLES FOR 2.400 SECONDS.");
}

TEST(DatalogFlow, PauseHoldsTheRingAndResumeWritesOnWhereItStopped) {
  MonitorFixture f;
  context::Monitor& m = collecting(f, "10", "pause");
  ticks(m, 6);
  ASSERT_EQ(m.datalog.DATApoint, 2);
  m.ui.Command1[11].raiseClick();
  const std::size_t sent = f.script->written.size();
  ticks(m, 8);
  EXPECT_EQ(m.datalog.DATApoint, 2);
  EXPECT_EQ(f.script->written.size(), sent + 8) << "only the identification at every tick";
  EXPECT_EQ(SampleTexts(m.datalog.DATAlog).at(0, 0, 2), "");

  m.ui.Command1[11].raiseClick();
  EXPECT_EQ(m.stack.BRDread, 0);
  ticks(m, 4);
  EXPECT_EQ(m.datalog.DATApoint, 3);
  EXPECT_NE(SampleTexts(m.datalog.DATAlog).at(0, 0, 2), "");
}

TEST(DatalogFlow, ViewOpensTheChosenWorkbookAndStopGoesBackToPlainMeasurement) {
  MonitorFixture f;
  context::Monitor& m = collecting(f, "10", "stop");
  ticks(m, 8);
  m.ui.Command1[13].raiseClick();
  m.ui.Command1[13].raiseClick();
  EXPECT_EQ(f.desktop.opened, (std::vector<std::string>{m.datalog.NewFile, m.datalog.NewFile}));
  EXPECT_EQ(m.datalog.DATACOLLECTflag, 1) << "VIEW leaves the datalog running";
  EXPECT_EQ(m.datalog.DATApoint, 3);

  m.ui.Command1[12].raiseClick();
  EXPECT_EQ(m.stack.OnOff, 1);
  EXPECT_EQ(m.datalog.DATACOLLECTflag, 0);
  EXPECT_TRUE(m.ui.Command1[10].visible());
  for (int b : {11, 12, 13}) EXPECT_FALSE(m.ui.Command1[b].visible()) << b;
  EXPECT_EQ(SampleTexts(m.datalog.DATAlog).at(0, 0, 1), "");

  // Plain cycle: three steps a board, nothing recorded.
  ticks(m, 6);
  EXPECT_EQ(m.stack.BRDread, 0);
  EXPECT_EQ(m.stack.MEASUREflag, 0);
  EXPECT_EQ(m.datalog.DATApoint, 1);
  EXPECT_EQ(SampleTexts(m.datalog.DATAlog).at(0, 0, 1), "");
  EXPECT_TRUE(m.ui.mnuViewLastDatalog.enabled());
}

TEST(Viewing, EachEntryOpensItsOwnWorkbookAndEmptyPathsAreSkipped) {
  MonitorFixture f;
  context::Monitor& m = f.start();
  VIEW_xls(m);
  m.ui.mnuViewLastDatalog.setEnabled(true);
  m.ui.mnuViewLastDatalog.raiseClick();
  EXPECT_TRUE(f.desktop.opened.empty());

  m.datalog.NewFile = "/data/run.xls";
  m.datalog.LastDATAlog = "/opt/kestrav/LAST_DATALOG_first.xls";
  m.ui.mnuViewLastDatalog.raiseClick();
  m.datalog.LastDATAlog = "/opt/kestrav/LAST_DATALOG_second.xls";  // a second STOP
  m.ui.mnuViewLastDatalog.raiseClick();
  VIEW_xls(m);
  EXPECT_EQ(f.desktop.opened,
            (std::vector<std::string>{"/opt/kestrav/LAST_DATALOG_first.xls", "/opt/kestrav/LAST_DATALOG_second.xls",
                                      "/data/run.xls"}));
  EXPECT_TRUE(f.desktop.messages.empty());
}

}  // namespace
}  // namespace kestrav::datalog
