// The core thread feeds while the windows' thread reads: both stores must
// hand out consistent copies. (Run under ThreadSanitizer to see the locks
// do their job; without it the test still checks what the reader got.)

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "history/HistoryStore.h"
#include "history/TrafficLog.h"

namespace kestrav::history {
namespace {

TEST(Concurrency, ReadersSeeWholePointsWhileTheCoreFeeds) {
  HistoryStore history(500);
  TrafficLog traffic(100);
  const TimePoint start{std::chrono::seconds(1796652309)};
  constexpr int kFeeds = 3000;
  std::atomic<bool> done{false};
  std::thread core([&] {
    for (int i = 0; i < kFeeds; ++i) {
      std::array<std::uint16_t, 12> codes{};
      codes.fill(static_cast<std::uint16_t>(i % 4096));  // every cell of one point alike
      history.cellsRead(start + std::chrono::milliseconds(i), i % 10, codes, {});
      std::array<int, 120> st{};
      st.fill(i % 7);
      history.statusesShown(start, 10, st);
      TrafficEntry e;
      e.sequence = static_cast<std::uint64_t>(i + 1);
      e.written = "MSxS10X";
      traffic.record(e);
    }
    done = true;
  });
  std::uint64_t lastSeen = 0;
  while (!done) {
    for (const CellSample& s : history.cells(3, start, start + std::chrono::seconds(10)))
      for (float v : s.volts) ASSERT_EQ(v, s.volts[0]);  // never half of one point and half of another
    history.summaries(start, start + std::chrono::seconds(10));
    history.stackTotal();
    for (const TrafficEntry& e : traffic.entriesAfter(lastSeen)) {
      ASSERT_GT(e.sequence, lastSeen);
      lastSeen = e.sequence;
    }
  }
  core.join();
  EXPECT_EQ(traffic.counts().transactions, static_cast<std::uint64_t>(kFeeds));
  EXPECT_EQ(history.cellPointCount(), 500u);
}

}  // namespace
}  // namespace kestrav::history
