// The headless session's steps on the zero-latency simulator: what one
// read costs in C++, the figure the Python package's overhead is measured
// against (bench/python_read_cells.py).

#include <benchmark/benchmark.h>

#include "headless/Session.h"

namespace {

using kestrav::headless::Session;

std::unique_ptr<Session> openTen() {
  kestrav::headless::Failure why;
  auto s = Session::open("sim:10", {}, why);
  if (s) s->setBoards(10);
  return s;
}

void BM_SessionReadCells(benchmark::State& state) {
  auto s = openTen();
  kestrav::headless::CellsReading r;
  for (auto _ : state) {
    s->readCells(0, true, r);
    benchmark::DoNotOptimize(r);
  }
}
BENCHMARK(BM_SessionReadCells);

void BM_SessionReadAllTenBoards(benchmark::State& state) {
  auto s = openTen();
  std::vector<kestrav::headless::BoardSnapshot> all;
  for (auto _ : state) {
    s->readAll(all);
    benchmark::DoNotOptimize(all);
  }
}
BENCHMARK(BM_SessionReadAllTenBoards)->Unit(benchmark::kMillisecond);

}  // namespace
