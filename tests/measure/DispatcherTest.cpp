#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "measure/Dispatcher.h"
#include "support/MonitorFixture.h"

namespace kestrav::measure {
namespace {

using test::MonitorFixture;

TEST(Dispatcher, StartAndPollButtonsSendTheirCommands) {
  MonitorFixture f;
  context::Monitor& m = f.start();
  f.script->written.clear();
  for (int i = 0; i <= 4; ++i) m.ui.Command1[i].raiseClick();
  EXPECT_EQ(f.script->written,
            (std::vector<std::string>{"MSxS81S40X", "MSxS81S50X", "MSxS81S10X", "MSxS81S20X", "MSxS81S30X"}));
}

TEST(Dispatcher, ACellConversionStartBlanksTheVoltagesButKeepsTheReadings) {
  for (int button : {2, 3}) {
    MonitorFixture f;
    context::Monitor& m = f.start();
    m.ui.Check5[button].setValue(button == 3 ? 1 : 0);  // broadcast or addressed alike
    m.stack.READINGvolts[1] = 3.6f;
    for (context::Control& t : m.ui.Text1) t.setText(" 3.600V  ");
    m.ui.Command1[button].raiseClick();
    for (const context::Control& t : m.ui.Text1) EXPECT_EQ(t.text(), " 0.000V  ");
    EXPECT_EQ(m.stack.READINGvolts[1], 3.6f);
  }
}

TEST(Dispatcher, SingleShotReadsNeverRetryAndPutTheOptionBack) {
  MonitorFixture f;
  context::Monitor& m = f.start();
  ASSERT_EQ(m.stack.AUTORESTARTflag, 1);
  m.stack.SINGLESHOTflag = 0;
  m.ui.Command1[6].raiseClick();
  EXPECT_EQ(m.stack.SINGLESHOTflag, 0);  // READ CONFIG leaves it alone
  EXPECT_EQ(m.stack.AUTORESTARTflag, 1);
  for (int button : {7, 8, 9}) {
    m.stack.SINGLESHOTflag = 0;
    m.ui.Command1[button].raiseClick();
    EXPECT_EQ(m.stack.SINGLESHOTflag, 1) << button;
    EXPECT_EQ(m.stack.AUTORESTARTflag, 1) << button;
  }
}

TEST(Dispatcher, IndicesOutsideTheButtonsDoNothing) {
  MonitorFixture f;
  context::Monitor& m = f.start();
  const auto before = f.script->written.size();
  Command1_click(m, -1);
  Command1_click(m, 14);
  EXPECT_EQ(f.script->written.size(), before);
  EXPECT_EQ(m.stack.OnOff, 0);
}

TEST(Dispatcher, StopOfADatalogReportsTheTransferAndEnablesTheLastDatalog) {
  MonitorFixture f;
  context::Monitor& m = f.start();
  m.datalog.DATACOLLECTflag = 1;
  m.datalog.DATApoint = 7;
  m.stack.CYCLEflag = 1;
  m.ui.Command1[12].raiseClick();
  EXPECT_EQ(m.stack.COUNTERstop, 7);
  EXPECT_TRUE(m.ui.mnuViewLastDatalog.enabled());
  EXPECT_EQ(m.datalog.DATACOLLECTflag, 0);
  EXPECT_EQ(m.datalog.DATApoint, 1);
  EXPECT_EQ(m.stack.CYCLEflag, 0);
  // The status line is back to the option's text once the transfer is done.
  EXPECT_EQ(m.ui.Label_AUTOstatus.text(), "DISPLAY ONLY VALID DATA TRANSFERS!");
}

// The export blocks the window: its notice is painted before it starts.
TEST(Dispatcher, TheTransferNoticeIsPaintedBeforeEachExportStarts) {
  MonitorFixture f;
  context::Monitor& m = f.start();
  m.datalog.DATACOLLECTflag = 1;
  m.datalog.DATApoint = 1;
  m.datalog.NewFile = f.desktop.folder + "/view.xls";
  struct Paint {
    std::string notice;
    bool viewWritten, lastDatalogWritten;
  };
  std::vector<Paint> paints;
  f.desktop.onPaintNow = [&] {
    paints.push_back({m.ui.Label_AUTOstatus.text(), std::filesystem::exists(m.datalog.NewFile),
                      !m.datalog.LastDATAlog.empty()});
  };
  m.ui.Command1[13].raiseClick();  // VIEW
  m.ui.Command1[12].raiseClick();  // STOP
  ASSERT_EQ(paints.size(), 2u);
  EXPECT_EQ(paints[0].notice, "WAIT FOR DATA TRANSFER TO EXCEL.");
  EXPECT_EQ(paints[1].notice, "WAIT FOR DATA TRANSFER TO EXCEL TO LAST DATALOG.");
  EXPECT_FALSE(paints[0].viewWritten);
  EXPECT_FALSE(paints[1].lastDatalogWritten);
  EXPECT_TRUE(std::filesystem::exists(m.datalog.NewFile));
  EXPECT_FALSE(m.datalog.LastDATAlog.empty());
}

}  // namespace
}  // namespace kestrav::measure
