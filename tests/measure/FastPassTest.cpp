// A fast pass of the whole stack beside the timer-paced cycle.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "datalog/DatalogScript.h"
#include "datalog/SampleTexts.h"
#include "display/CellStatusCodes.h"
#include "measure/FastPass.h"
#include "support/MonitorFixture.h"

namespace kestrav::measure {
namespace {

using namespace std::chrono_literals;
using test::MonitorFixture;

std::string rd(int address, const char* code, int reads) {
  char a[3];
  std::snprintf(a, sizeof a, "%02X", address);
  return std::string("MSxT") + a + "T" + code + std::string(static_cast<std::size_t>(reads), 'R') + "X";
}
std::string rdcv(int address) { return rd(address, "04", 19); }
std::string rdtmp(int address) { return rd(address, "08", 6); }
std::string rdflg(int address) { return rd(address, "06", 4); }
std::string rdcfg(int address) { return rd(address, "02", 7); }

// What the pass wrote: the strings after the first `before`.
std::vector<std::string> writtenSince(const test::PortScript& s, std::size_t before) {
  return {s.written.begin() + static_cast<std::ptrdiff_t>(before), s.written.end()};
}

context::Monitor& startWith(MonitorFixture& f, int boards, sim::SimOptions options = {}) {
  context::Monitor& m = f.startOnSimulator(std::move(options));
  m.ui.Combo1.setListIndex(boards - 1);
  return m;
}

TEST(FastPass, ReadsEveryBoardAfterBroadcastStartsAndLeavesTheUsersChoicesAlone) {
  MonitorFixture f;
  context::Monitor& m = startWith(f, 3);
  m.ui.Command4[1].raiseClick();  // board 2 selected; its starts are addressed
  ASSERT_EQ(m.stack.board[1].BCASTflag[2], 0);
  const std::string continuousCaption = m.ui.Command1[10].text();
  const std::size_t before = f.script->written.size();

  const FastPassResult r = fastPass(m);

  EXPECT_EQ(r.end, FastPassEnd::Done);
  EXPECT_FALSE(r.identified);  // start-up identified a moment ago
  EXPECT_FALSE(r.sampled);
  EXPECT_EQ(writtenSince(*f.script, before),
            (std::vector<std::string>{"MSxS10X", rdcv(0x81), rdcv(0x82), rdcv(0x83), "MSxS30X", rdtmp(0x81),
                                      rdtmp(0x82), rdtmp(0x83), rdflg(0x81), rdflg(0x82), rdflg(0x83)}));
  // Every board has its own fresh readings and its statuses.
  for (int b = 0; b < 3; ++b) {
    for (int c = 1; c <= 12; ++c) {
      EXPECT_NEAR(m.stack.READINGvolts[state::cellReading(b, c)], 3.6f, 0.3f) << b << "/" << c;
      EXPECT_EQ(m.stack.CELLstatus[state::statusIndex(b, c)], display::OK) << b << "/" << c;
    }
    EXPECT_GT(m.stack.READINGvolts[state::temperatureReading(b, 2)], 0.0f) << b;
  }
  EXPECT_EQ(m.ui.Shape1[state::statusIndex(2, 12)].fillColor(), 0x00FF00u);
  // Nothing of the user's set-up changed: no cycle, no broadcast choice.
  EXPECT_EQ(m.stack.OnOff, 0);
  EXPECT_EQ(m.stack.BRDread, 1);
  EXPECT_EQ(m.stack.board[1].BCASTflag[2], 0);
  EXPECT_EQ(m.stack.board[1].BCASTflag[4], 0);
  EXPECT_EQ(m.ui.Check5[2].value(), 0);
  EXPECT_TRUE(m.ui.Check5[2].enabled());
  EXPECT_EQ(m.ui.Command1[10].text(), continuousCaption);
  EXPECT_TRUE(m.ui.Command1[7].enabled());
}

TEST(FastPass, IdentifiesOnlyWhenTheLastIdentificationIsFiveSecondsOld) {
  MonitorFixture f;
  context::Monitor& m = startWith(f, 1);
  f.clock.when += 4999ms;
  std::size_t before = f.script->written.size();
  EXPECT_FALSE(fastPass(m).identified);
  EXPECT_EQ(f.script->count("IZ"), 1);  // start-up's

  f.clock.when += 1ms;
  before = f.script->written.size();
  EXPECT_TRUE(fastPass(m).identified);
  EXPECT_EQ(f.script->written[before], "IZ");
  EXPECT_FALSE(fastPass(m).identified);

  // A shorter interval, as a caller may choose.
  f.clock.when += 1s;
  EXPECT_TRUE(fastPass(m, {.settle = 0ms, .identifyEvery = 1s}).identified);
  EXPECT_EQ(f.script->count("IZ"), 3);
}

TEST(FastPass, WhileADatalogCollectsOneSampleHoldsEveryBoardsFreshReadings) {
  test::pinLocalTimeToUtc();
  const std::string folder = test::scratchFolder("fastpass");
  MonitorFixture f;
  context::Monitor& m = startWith(f, 2);
  test::scriptAcceptedSetup(f.desktop, folder + "/run.xls", "1");  // one sample: the ring wraps every pass
  m.ui.mnuCreateNewSetup.raiseClick();
  ASSERT_EQ(m.stack.OnOff, 1);
  ASSERT_EQ(m.datalog.SETpoint, 1);
  const std::size_t before = f.script->written.size();

  const FastPassResult r = fastPass(m);

  EXPECT_EQ(r.end, FastPassEnd::Done);
  EXPECT_TRUE(r.sampled);
  const std::vector<std::string> w = writtenSince(*f.script, before);
  ASSERT_EQ(w.size(), 10u);
  EXPECT_EQ(std::vector<std::string>(w.end() - 2, w.end()), (std::vector<std::string>{rdcfg(0x81), rdcfg(0x82)}));
  EXPECT_EQ(m.datalog.DATApoint, 1);
  EXPECT_EQ(m.stack.CYCLEflag, 1);
  EXPECT_EQ(m.stack.OnOff, 1);  // the datalog's cycle goes on
  EXPECT_EQ(m.stack.BRDread, 0);
  const datalog::SampleTexts log(m.datalog.DATAlog);
  for (int b = 0; b < 2; ++b) {
    EXPECT_EQ(log.at(b, 1, 1).substr(0, 2), "E0") << b;  // configuration read back from this board
    EXPECT_EQ(log.at(b, 5, 1).substr(0, 2), "3.") << b;  // cell 1 read in this pass
    EXPECT_EQ(log.at(b, 17, 1).substr(0, 2), "OK") << b;
  }
  EXPECT_EQ(m.ui.Command1[13].toolTip(), "VIEW 0 SAMPLES FOR 0.000 SECONDS.");
}

TEST(FastPass, AReadThatGivesUpStopsThePassAndTheCycle) {
  MonitorFixture f;
  sim::SimOptions corrupt;
  corrupt.corruptShare = 1.0;
  context::Monitor& m = startWith(f, 3, corrupt);
  m.ui.Command1[10].raiseClick();  // the cycle runs; "PEC Match Only" is ticked
  const std::size_t before = f.script->written.size();

  const FastPassResult r = fastPass(m);

  EXPECT_EQ(r.end, FastPassEnd::GaveUp);
  const std::vector<std::string> w = writtenSince(*f.script, before);
  // The pass's own start, then ten reads of the first board, each followed
  // by the retry's conversion start; nothing of the next board.
  ASSERT_EQ(w.size(), 21u);
  EXPECT_EQ(std::count(w.begin(), w.end(), rdcv(0x81)), 10);
  EXPECT_EQ(std::count(w.begin(), w.end(), rdcv(0x82)), 0);
  ASSERT_EQ(f.desktop.messages.size(), 1u);
  EXPECT_EQ(f.desktop.messages[0].text.rfind("Excessive READ CELL VOLTAGE Communication Errors! ", 0), 0u);
  EXPECT_EQ(m.stack.OnOff, 0);
  EXPECT_EQ(m.stack.MEASURESKIPflag, 0);
  EXPECT_EQ(m.ui.Shape3.fillColor(), 0x0000FFu);  // the cycle's lamp is off

  // Without a cycle the pass stops the same way and leaves it stopped.
  f.desktop.messages.clear();
  EXPECT_EQ(fastPass(m).end, FastPassEnd::GaveUp);
  EXPECT_EQ(f.desktop.messages.size(), 1u);
  EXPECT_EQ(m.stack.OnOff, 0);
}

TEST(FastPass, AReadThatHearsNothingAsksForTheBridgeAtOnce) {
  MonitorFixture f;
  context::Monitor& m = f.start();
  m.ui.Combo1.setListIndex(2);
  m.ui.Check_AUTO.setValue(0);  // every reply accepted: silence alone gives nothing away
  f.script->responder = [&f](const std::string& cmd) {
    if (cmd != rdcv(0x82)) return std::string(64, '0');  // all zeros: a matching PEC
    f.script->unplugged = true;
    return std::string();
  };
  const std::size_t before = f.script->written.size();

  const FastPassResult r = fastPass(m);

  EXPECT_EQ(r.end, FastPassEnd::BridgeLost);
  EXPECT_TRUE(r.identified);
  EXPECT_EQ(writtenSince(*f.script, before),
            (std::vector<std::string>{"MSxS10X", rdcv(0x81), rdcv(0x82), "IZ"}));
  EXPECT_TRUE(m.ended());
  EXPECT_EQ(m.exitStatus(), context::kExitRefused);
}

TEST(FastPass, SettlesAfterEachBroadcastStart) {
  MonitorFixture f;
  context::Monitor& m = startWith(f, 1);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(fastPass(m, {.settle = 40ms}).end, FastPassEnd::Done);
  EXPECT_GE(std::chrono::steady_clock::now() - start, 80ms);
}

}  // namespace
}  // namespace kestrav::measure
