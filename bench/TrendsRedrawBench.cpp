// Redrawing the Trends window offscreen with one hour of a ten-board stack
// in the store: the chart of one board and the table of all ten, painted.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPixmap>
#include <cstdlib>

#include "gui/TrendsWindow.h"
#include "support/FakeDesktop.h"

namespace {

using namespace kestrav;

// One hour of a ten-board cycle: one cell reading per board every 3 s,
// cells wandering a few millivolts.
void fillHour(history::HistoryStore& h, context::TimePoint end) {
  const int reads = 3600 * 10 / 3;
  for (int i = 0; i < reads; ++i) {
    std::array<std::uint16_t, 12> codes{};
    for (std::size_t c = 0; c < 12; ++c) codes[c] = static_cast<std::uint16_t>(2400 + (i * 7 + c * 13) % 40);
    h.cellsRead(end - std::chrono::milliseconds(300) * (reads - i), i % 10, codes, {});
  }
}

void BM_TrendsRedrawHourOfTenBoards(benchmark::State& st) {
  history::HistoryStore store;
  test::FixedClock clock;
  fillHour(store, clock.when);
  gui::TrendsWindow w(store, clock);
  w.setSpan(2);  // 1 h
  w.resize(1000, 740);
  w.show();
  QApplication::processEvents();
  QPixmap canvas(w.size());
  int board = 0;
  for (auto _ : st) {
    // A new board each time, so nothing drawn before is reused.
    board = (board + 1) % 10;
    w.setBoard(board);
    w.render(&canvas);
  }
}
BENCHMARK(BM_TrendsRedrawHourOfTenBoards)->Unit(benchmark::kMillisecond);

// The part that is not painting: queries, thinning, handing points to the chart.
void BM_TrendsRefreshWithoutPaint(benchmark::State& st) {
  history::HistoryStore store;
  test::FixedClock clock;
  fillHour(store, clock.when);
  gui::TrendsWindow w(store, clock);
  w.setSpan(2);
  int board = 0;
  for (auto _ : st) {
    board = (board + 1) % 10;
    w.setBoard(board);
  }
}
BENCHMARK(BM_TrendsRefreshWithoutPaint)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
