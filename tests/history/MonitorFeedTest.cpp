// The stores fed by a running program: every accepted reading reaches the
// history whatever started it, every transaction reaches the traffic log.

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "app/Events.h"
#include "history/HistoryStore.h"
#include "history/Tracing.h"
#include "history/TrafficLog.h"
#include "history/TransactionTap.h"
#include "support/MonitorFixture.h"

namespace kestrav::history {
namespace {

struct Fed {
  test::MonitorFixture f;
  HistoryStore history;
  TrafficLog traffic;
  std::unique_ptr<TransactionTap> tap;

  context::Monitor& start(sim::SimOptions options = {}) {
    context::Monitor& m = f.startOnSimulator(std::move(options));
    tap = std::make_unique<TransactionTap>(m.clock);
    tap->add(traffic);
    m.link.setObserver(tap.get());
    m.readingObserver = &history;
    return m;
  }
};

TEST(MonitorFeed, ACycleFeedsEveryBoardAndEveryTransaction) {
  Fed fed;
  context::Monitor& m = fed.start();
  m.ui.Combo1.setListIndex(2);  // three boards
  m.ui.Command1[10].raiseClick();
  const auto before = fed.traffic.counts().transactions;
  for (int tick = 0; tick < 9; ++tick) {
    fed.f.clock.when += std::chrono::milliseconds(100);
    app::timerTick(m);
  }
  const TimePoint from = fed.f.clock.when - std::chrono::seconds(10);
  for (int b = 0; b < 3; ++b) {
    const auto cells = fed.history.cells(b, from, fed.f.clock.when);
    ASSERT_EQ(cells.size(), 1u) << b;
    EXPECT_NEAR(cells[0].volts[0], m.stack.READINGvolts[state::cellReading(b, 1)], 1e-6);
    EXPECT_EQ(fed.history.temperatures(b, from, fed.f.clock.when).size(), 1u);
    EXPECT_EQ(fed.history.flags(b, from, fed.f.clock.when).size(), 1u);
    EXPECT_EQ(fed.history.statuses(b)[0], m.stack.CELLstatus[state::statusIndex(b, 1)]) << b;
  }
  EXPECT_TRUE(fed.history.cells(3, from, fed.f.clock.when).empty());
  // Per board: identify, start, read cells; identify, start, read
  // temperatures; identify, read flags.
  EXPECT_EQ(fed.traffic.counts().transactions - before, 3u * 8u);
  EXPECT_EQ(fed.traffic.counts().mismatches, 0u);
}

TEST(MonitorFeed, ASingleShotReadIsKeptTooButAThrownAwayReplyIsNot) {
  Fed fed;
  context::Monitor& m = fed.start();
  m.ui.Command1[7].raiseClick();  // READCELLVOLT
  EXPECT_EQ(fed.history.cellPointCount(), 1u);
  const auto entries = fed.traffic.entriesAfter(0);
  ASSERT_FALSE(entries.empty());
  EXPECT_EQ(entries.back().verdict, PecVerdict::Match);
  EXPECT_EQ(commandOf(entries.back().written), "RDCV");
  EXPECT_EQ(entries.back().received, 42u);
}

TEST(MonitorFeed, CorruptedRepliesAreCountedAsMismatches) {
  sim::SimOptions options;
  options.corruptShare = 1.0;
  Fed fed;
  context::Monitor& m = fed.start(options);
  m.ui.Command1[8].raiseClick();  // READ FLAG: single shot, accepted and shown red
  EXPECT_EQ(fed.traffic.counts().mismatches, 1u);
  EXPECT_EQ(fed.traffic.entriesAfter(0).back().verdict, PecVerdict::Mismatch);
}

TEST(MonitorFeed, TracingAttachesInOneCallAndDetachesWhenItGoes) {
  test::MonitorFixture f;
  context::Monitor& m = f.startOnSimulator();
  const std::string path = testing::TempDir() + "kestrav-tracing-test.tsv";
  std::string error;
  auto tracing = Tracing::start(m, path, error);
  ASSERT_TRUE(tracing) << error;
  m.ui.Command1[9].raiseClick();  // READ TEMP
  tracing.reset();
  m.ui.Command1[9].raiseClick();  // not traced any more
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string l; std::getline(in, l);) lines.push_back(l);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find("\tMSxT81T08RRRRRRX\t16\t16\t"), std::string::npos) << lines[0];
  EXPECT_EQ(lines[0].substr(lines[0].size() - 6), "\tmatch");
  EXPECT_FALSE(Tracing::start(m, "/nonexistent-folder/t.tsv", error));
  std::remove(path.c_str());
}

}  // namespace
}  // namespace kestrav::history
