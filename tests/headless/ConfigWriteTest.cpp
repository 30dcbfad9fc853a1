// kestrav-log --config on the simulator: every board written addressed,
// read back and compared, and the same bridge strings as a user's clicks
// in the window for the same file.

#include <gtest/gtest.h>

#include "app/StackConfigSteps.h"
#include "config/StackConfigFile.h"
#include "headless/ConfigWrite.h"
#include "support/MonitorFixture.h"

namespace kestrav::headless {
namespace {

using config::StackConfig;
using test::MonitorFixture;

StackConfig example() {
  const config::StackConfigFileResult r = config::readStackConfigFile(KESTRAV_SOURCE_DIR "/examples/stack-config.json");
  EXPECT_TRUE(r.ok()) << r.error;
  return r.config.value_or(StackConfig{});
}

sim::SimOptions exampleChain() {
  sim::SimOptions o;
  o.addresses = {0x81, 0x82, 0x8F};
  return o;
}

std::vector<std::string> configWrites(const test::PortScript& s) {
  std::vector<std::string> writes;
  for (const std::string& w : s.written)
    if (w.find("T01S") != std::string::npos) writes.push_back(w);
  return writes;
}

TEST(ConfigWrite, EveryBoardIsWrittenAddressedAndReadsBackWhatTheFileSays) {
  MonitorFixture f;
  context::Monitor& m = f.startOnSimulator(exampleChain());
  StackConfig c = example();
  c.globalThresholds = true;  // each board keeps its own thresholds all the same
  c.broadcast[5] = true;
  EXPECT_EQ(writeConfigToStack(m, c), "");
  EXPECT_EQ(configWrites(*f.script), (std::vector<std::string>{"MSxT81T01SE2S00S00S00S81SAFX",
                                                               "MSxT82T01SE2S04S00SC0S81SAFX",
                                                               "MSxT8FT01SDDS00S00S00S68S96X"}));
  for (int b = 0; b < 3; ++b)
    EXPECT_EQ(config::preparedRegisters(m, b)[4], c.board[b].vuvCode) << b;
  // Afterwards the window holds the file as it stands, option and box included.
  EXPECT_EQ(config::preparedStackConfig(m), c);
  EXPECT_TRUE(f.desktop.messages.empty());
}

TEST(ConfigWrite, ABoardThatDoesNotHoldTheConfigurationIsNamed) {
  {
    // Nobody answers at 0x8F: every reply is bytes of 0xFF with a PEC that fails.
    MonitorFixture f;
    sim::SimOptions o;
    o.addresses = {0x81, 0x82};
    context::Monitor& m = f.startOnSimulator(o);
    EXPECT_EQ(writeConfigToStack(m, example()),
              "board 3 at 0x8F: the configuration read back failed its PEC check 10 times");
  }
  {
    // Two boards at one address with different settings: the chip there
    // holds the second board's, which the first reads back.
    MonitorFixture f;
    context::Monitor& m = f.startOnSimulator(exampleChain());
    StackConfig c = example();
    c.addresses[1] = "81";
    EXPECT_EQ(writeConfigToStack(m, c), "board 1 at 0x81 did not take the configuration: wrote E2 00 00 00 81 AF, "
                                         "read back E2 04 00 C0 81 AF");
  }
}

// A file saved in the window, written by kestrav-log's steps: the same
// strings as a user selecting each board and pressing WRITE CONFIG (per
// board, addressed) after opening the same file in the window.
TEST(ConfigWrite, TheWindowsClicksAndKestravLogSendTheSameStrings) {
  MonitorFixture window;
  context::Monitor& w = window.startOnSimulator(exampleChain());
  app::applyStackConfig(w, example());
  w.ui.Check1[5].setValue(1);  // and a change of the user's own
  const StackConfig saved = config::preparedStackConfig(w);
  const std::string text = config::stackConfigJson(saved);

  const std::size_t before = window.script->written.size();
  w.ui.Option1[0].setValue(1);
  w.ui.Check5[5].setValue(0);
  for (int b = 0; b < 3; ++b) {
    w.ui.Command4[b].raiseClick();
    w.ui.Command1[5].raiseClick();
  }
  test::PortScript clicked;
  clicked.written.assign(window.script->written.begin() + static_cast<long>(before), window.script->written.end());

  MonitorFixture log;
  context::Monitor& l = log.startOnSimulator(exampleChain());
  const config::ParsedStackConfig opened = config::parseStackConfig(text);
  ASSERT_TRUE(opened.config.has_value()) << opened.fault;
  EXPECT_EQ(writeConfigToStack(l, *opened.config), "");
  EXPECT_EQ(configWrites(*log.script), configWrites(clicked));
  EXPECT_EQ(configWrites(clicked).size(), 3u);
}

}  // namespace
}  // namespace kestrav::headless
