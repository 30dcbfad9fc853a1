// Cost of one idle timer tick (the heartbeat identification) through the
// whole core on the simulator without its real-time pacing, and of the
// simulator answering a cell-voltage read.

#include <benchmark/benchmark.h>

#include "app/Events.h"
#include "context/Monitor.h"
#include "link/ports/SimulatedPort.h"
#include "support/FakeDesktop.h"

namespace {

using namespace kestrav;

void BM_IdleTick(benchmark::State& st) {
  test::FakeDesktop desktop;
  context::SystemClock clock;
  auto sim = std::make_shared<sim::Simulator>();
  context::Monitor m(std::make_unique<link::SimulatedPort>(sim, false), desktop, clock);
  app::wireMainWindow(m);
  app::loadMainWindow(m);
  for (auto _ : st) app::timerTick(m);
  if (m.ended()) st.SkipWithError("the simulated bridge was refused");
}
BENCHMARK(BM_IdleTick);

void BM_SimulatorCellRead(benchmark::State& st) {
  sim::Simulator s;
  const std::string frame = "MSxT81T04" + std::string(19, 'R') + "X";
  s.process("MSxS10X");
  for (auto _ : st) benchmark::DoNotOptimize(s.process(frame));
}
BENCHMARK(BM_SimulatorCellRead);

}  // namespace
