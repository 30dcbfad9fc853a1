// What keeping the history and the traffic log costs a measurement cycle:
// one cycle step of a ten-board stack on the simulator (no real-time
// pacing) without observers and with the history store, the traffic log
// and a trace file attached; and the store's queries on a day of readings.

#include <benchmark/benchmark.h>

#include <cstdio>

#include "app/Events.h"
#include "context/Monitor.h"
#include "history/HistoryStore.h"
#include "history/TraceWriter.h"
#include "history/TrafficLog.h"
#include "history/TransactionTap.h"
#include "link/ports/SimulatedPort.h"
#include "support/FakeDesktop.h"

namespace {

using namespace kestrav;

struct Cycle {
  test::FakeDesktop desktop;
  context::SystemClock clock;
  std::shared_ptr<sim::Simulator> sim = std::make_shared<sim::Simulator>();
  context::Monitor m{std::make_unique<link::SimulatedPort>(sim, false), desktop, clock};
  history::HistoryStore history;
  history::TrafficLog traffic;
  history::TransactionTap tap{clock};
  std::unique_ptr<history::TraceWriter> trace;

  Cycle(bool observed, bool traced) {
    app::wireMainWindow(m);
    app::loadMainWindow(m);
    m.ui.Combo1.setListIndex(9);
    m.ui.Command1[10].raiseClick();
    if (!observed) return;
    std::string error;
    if (traced) trace = history::TraceWriter::open("/tmp/kestrav-bench-trace.tsv", error);
    tap.add(traffic);
    if (trace) tap.add(*trace);
    m.link.setObserver(&tap);
    m.readingObserver = &history;
  }
  ~Cycle() {
    if (trace) std::remove("/tmp/kestrav-bench-trace.tsv");
  }
};

void runSteps(benchmark::State& st, Cycle& c) {
  for (auto _ : st) app::timerTick(c.m);
  if (c.m.ended()) st.SkipWithError("the simulated bridge was refused");
}

void BM_CycleStepPlain(benchmark::State& st) {
  Cycle c(false, false);
  runSteps(st, c);
}
BENCHMARK(BM_CycleStepPlain);

void BM_CycleStepWithHistoryAndTraffic(benchmark::State& st) {
  Cycle c(true, false);
  runSteps(st, c);
}
BENCHMARK(BM_CycleStepWithHistoryAndTraffic);

void BM_CycleStepWithHistoryTrafficAndTrace(benchmark::State& st) {
  Cycle c(true, true);
  runSteps(st, c);
}
BENCHMARK(BM_CycleStepWithHistoryTrafficAndTrace);

// The feeding alone, without the cycle around it: one accepted cell reading.
void BM_FeedCellReading(benchmark::State& st) {
  history::HistoryStore h;
  const std::array<std::uint16_t, 12> codes{2300, 2301, 2302, 2303, 2304, 2305, 2306, 2307, 2308, 2309, 2310, 2311};
  auto t = std::chrono::system_clock::now();
  int board = 0;
  for (auto _ : st) {
    t += std::chrono::milliseconds(100);
    h.cellsRead(t, board, codes, {});
    board = (board + 1) % 10;
  }
}
BENCHMARK(BM_FeedCellReading);

// A full day: one board's hour and every board's summary over an hour.
void BM_QueriesOnADay(benchmark::State& st) {
  history::HistoryStore h;
  const auto start = std::chrono::system_clock::now();
  const std::array<std::uint16_t, 12> codes{2300, 2301, 2302, 2303, 2304, 2305, 2306, 2307, 2308, 2309, 2310, 2311};
  const int reads = 24 * 3600 * 10 / 3;
  for (int i = 0; i < reads; ++i) h.cellsRead(start + std::chrono::milliseconds(300) * i, i % 10, codes, {});
  const auto end = start + std::chrono::milliseconds(300) * reads;
  for (auto _ : st) {
    benchmark::DoNotOptimize(h.cells(3, end - std::chrono::hours(1), end));
    benchmark::DoNotOptimize(h.summaries(end - std::chrono::hours(1), end));
  }
  st.counters["MiB"] = static_cast<double>(h.bytesReserved()) / (1024.0 * 1024.0);
}
BENCHMARK(BM_QueriesOnADay)->Unit(benchmark::kMillisecond);

}  // namespace
