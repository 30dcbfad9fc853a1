// Stack configuration files in the window: what Open puts into the boxes
// (through the user's own handlers), what Save takes from them, and the
// messages of a refused file or a failed save.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "app/StackConfigSteps.h"
#include "config/StackConfigFile.h"
#include "datalog/TempFolder.h"
#include "support/MonitorFixture.h"

namespace kestrav::app {
namespace {

using config::StackConfig;
using test::MonitorFixture;
using test::TempFolder;

constexpr const char* kExample = KESTRAV_SOURCE_DIR "/examples/stack-config.json";

std::string readText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

StackConfig example() {
  const config::StackConfigFileResult r = config::readStackConfigFile(kExample);
  EXPECT_TRUE(r.ok()) << r.error;
  return r.config.value_or(StackConfig{});
}

// Four boards, thresholds global, each board with thresholds of its own.
StackConfig fourBoards() {
  StackConfig c = example();
  c.boards = 4;
  c.globalThresholds = true;
  c.broadcast = {true, false, false, false, false, true};
  c.pecMatchOnly = false;
  config::BoardConfig d;
  d.cdc = 0;
  d.discharge = {11, 12};
  d.cell10 = true;  // chosen after cells 11 and 12 were set
  d.vuvCode = 1;
  d.vovCode = 2;
  c.board.push_back(d);
  return c;
}

TEST(StackConfigSteps, OpeningPutsEveryValueIntoTheBoxesGreyAndWritesNothing) {
  MonitorFixture f;
  context::Monitor& m = f.startOnSimulator();
  const std::size_t sentBefore = f.script->written.size();
  const StackConfig c = fourBoards();
  applyStackConfig(m, c);

  EXPECT_EQ(config::preparedStackConfig(m), c);
  EXPECT_EQ(f.script->written.size(), sentBefore) << "opening writes nothing to the chips";
  EXPECT_TRUE(f.desktop.messages.empty()) << f.desktop.messages.front().text;
  // The window shows it as a user would have left it.
  EXPECT_EQ(m.stack.CARDSTACK, 3);
  EXPECT_EQ(m.ui.Combo1.listIndex(), 3);
  EXPECT_EQ(m.stack.BRDnumber, 0);
  EXPECT_EQ(m.ui.Command4[2].text(), "BRD# 3    0x8F");
  EXPECT_FALSE(m.ui.Command4[4].visible());
  EXPECT_EQ(m.stack.GLOBALCFGRflag, 1);
  EXPECT_EQ(m.stack.AUTORESTARTflag, 0);
  for (int b = 0; b < 4; ++b) EXPECT_EQ(m.stack.board[b].BCASTflag[5], 1) << b;
  for (int k = 0; k < 6; ++k) EXPECT_EQ(m.ui.Text4[k].foreColor(), context::kGrey) << k;
  EXPECT_EQ(m.ui.Text3.foreColor(), context::kGrey);
  EXPECT_EQ(m.ui.Text2[0].foreColor(), context::kGrey);
  EXPECT_EQ(m.ui.Text2[1].foreColor(), context::kGrey);
  EXPECT_EQ(m.ui.Text2[0].text(), "3.096V ");
  // Board 4 in ten-cell mode, its cells 11 and 12 discharging all the same.
  m.ui.Command4[3].raiseClick();
  EXPECT_EQ(m.ui.Frame1[10].text(), "");
  EXPECT_EQ(m.stack.board[3].CFGRset[2], "0C");
  EXPECT_EQ(m.ui.Text2[1].text(), "0.048V ");
}

TEST(StackConfigSteps, AnyPreparedStateTakesTheFile) {
  MonitorFixture f;
  context::Monitor& m = f.startOnSimulator();
  // Codes the arrows allow and the boxes would refuse: VUV 6.120 V over VOV 0.
  m.ui.Command4[1].raiseClick();
  m.ui.Command2[0].raiseClick();
  m.ui.Check0[0].setValue(1);  // CDC boxes clicked directly, not stepped
  m.ui.Combo1.setListIndex(9);
  m.ui.Command4[7].raiseClick();  // selected, and beyond the file's stack
  m.ui.Check1[0].setValue(1);
  m.ui.Check5[5].setValue(1);
  const StackConfig c = example();
  applyStackConfig(m, c);
  EXPECT_EQ(config::preparedStackConfig(m), c);
  EXPECT_TRUE(f.desktop.messages.empty()) << f.desktop.messages.front().text;
  EXPECT_EQ(m.stack.BRDnumber, 2);  // the last board of the stack
  // Boards beyond the stack keep their settings.
  EXPECT_EQ(m.stack.board[7].CFGRset[1], "01");

  // Opening again over itself changes nothing, and the selected board stays.
  m.ui.Command4[1].raiseClick();
  applyStackConfig(m, c);
  EXPECT_EQ(config::preparedStackConfig(m), c);
  EXPECT_EQ(m.stack.BRDnumber, 1);
}

// A board's configuration is what its boxes show once it is selected, which
// is what WRITE CONFIG then sends for it.
TEST(StackConfigSteps, SaveTakesWhatEachBoardShowsWhenSelected) {
  MonitorFixture f;
  context::Monitor& m = f.startOnSimulator();
  m.ui.Combo1.setListIndex(1);
  m.ui.Command4[1].raiseClick();
  m.ui.Option1[0].setValue(1);
  config::BoardConfig b2;
  b2.vuvCode = 100;
  b2.vovCode = 150;
  applyStackConfig(m, [&] {
    StackConfig c = config::preparedStackConfig(m);
    c.board[0].vuvCode = 129;
    c.board[0].vovCode = 175;
    c.board[1] = b2;
    return c;
  }());
  // Board 1: a CDC box clicked directly shows on screen while it is
  // selected, but selecting it again sets the boxes from its duty cycle.
  m.ui.Command4[0].raiseClick();
  m.ui.Check0[0].setValue(1);
  EXPECT_EQ(config::preparedStackConfig(m).board[0].cdc, 1);
  m.ui.Command4[1].raiseClick();
  EXPECT_EQ(config::preparedStackConfig(m).board[0].cdc, 0);
  // A global write gives board 1 board 2's thresholds, and so does Save.
  m.ui.Option1[1].setValue(1);
  m.ui.Command1[5].raiseClick();
  const StackConfig saved = config::preparedStackConfig(m);
  EXPECT_EQ(saved.board[0].vuvCode, 100);
  EXPECT_EQ(saved.board[0].vovCode, 150);
  m.ui.Command4[0].raiseClick();
  EXPECT_EQ(m.stack.board[0].CFGRset[4], "64");
  EXPECT_EQ(config::preparedStackConfig(m), saved);
}

TEST(StackConfigSteps, TheMenuOpensAndSavesThroughTheDesktop) {
  TempFolder folder;
  MonitorFixture f;
  context::Monitor& m = f.startOnSimulator();
  f.desktop.openAnswers.push_back(kExample);
  mnuOpenStackConfig_Click(m);
  EXPECT_EQ(f.desktop.openFilters, std::vector<std::string>{"Stack configuration (*.json)|*.json"});
  EXPECT_EQ(config::preparedStackConfig(m), example());

  const std::string path = folder.file("bench.json");
  f.desktop.saveAnswers.push_back(path);
  mnuSaveStackConfig_Click(m);
  EXPECT_TRUE(f.desktop.messages.empty());
  const config::StackConfigFileResult saved = config::readStackConfigFile(path);
  ASSERT_TRUE(saved.ok()) << saved.error;
  EXPECT_EQ(*saved.config, example());

  // Cancelled dialogs do nothing.
  mnuOpenStackConfig_Click(m);
  mnuSaveStackConfig_Click(m);
  EXPECT_TRUE(f.desktop.messages.empty());
}

TEST(StackConfigSteps, ARefusedFileChangesNothingAndSaysWhy) {
  TempFolder folder;
  MonitorFixture f;
  context::Monitor& m = f.startOnSimulator();
  applyStackConfig(m, example());
  const StackConfig before = config::preparedStackConfig(m);

  std::string text = readText(kExample);
  text.replace(text.find("\"vuv\": 2.496"), 12, "\"vuv\": 7.000");
  const std::string path = folder.file("bad.json");
  std::ofstream(path) << text;
  f.desktop.openAnswers.push_back(path);
  mnuOpenStackConfig_Click(m);
  ASSERT_EQ(f.desktop.messages.size(), 1u);
  EXPECT_EQ(f.desktop.messages[0].text,
            "The stack configuration was not opened; nothing has changed.\n\n" + path +
                ": board 3 \"vuv\" and \"vov\": Only Enter Values Between 0.000V and 6.120V. (vuv 7.0, vov 3.6)");
  EXPECT_EQ(config::preparedStackConfig(m), before);
}

// The JSON text scripts get and give: the file's layout without the file.
TEST(StackConfigSteps, ScriptsReadAndApplyTheSameTextAsAFile) {
  MonitorFixture f;
  context::Monitor& m = f.startOnSimulator();
  EXPECT_EQ(applyStackConfigJson(m, readText(kExample)), "");
  EXPECT_EQ(preparedStackConfigJson(m), config::stackConfigJson(example()));
  std::string text = readText(kExample);
  text.replace(text.find("\"boards\": 3"), 11, "\"boards\": 0");
  EXPECT_EQ(applyStackConfigJson(m, text), "\"boards\": must be a whole number from 1 to 10, not 0");
  EXPECT_EQ(config::preparedStackConfig(m), example());
}

TEST(StackConfigSteps, ASaveThatOpenWouldRefuseIsNotWritten) {
  TempFolder folder;
  MonitorFixture f;
  context::Monitor& m = f.startOnSimulator();
  const std::string path = folder.file("start.json");
  std::ofstream(path) << "old";
  // At start-up both thresholds are 0 V: no user could type that pair.
  f.desktop.saveAnswers.push_back(path);
  mnuSaveStackConfig_Click(m);
  ASSERT_EQ(f.desktop.messages.size(), 1u);
  EXPECT_EQ(f.desktop.messages[0].text, "The stack configuration was not saved.\n\n" + path +
                                            ": not saved, it could not be opened again: board 1 \"vuv\" and "
                                            "\"vov\": VUV must be less than VOV (vuv 0.0, vov 0.0)");
  EXPECT_EQ(readText(path), "old");
}

}  // namespace
}  // namespace kestrav::app
