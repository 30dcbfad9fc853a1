// Cost of the datalog's ring: exporting a full ring of ten boards to a
// workbook (1000 samples and the longest ring, 32767 samples), and the
// memory the ring takes.

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "context/Monitor.h"
#include "datalog/Collection.h"
#include "datalog/Export.h"
#include "link/ports/SimulatedPort.h"
#include "state/HexText.h"
#include "support/FakeDesktop.h"

namespace {

using namespace kestrav;

// A wrapped ring of `points` samples of ten boards, recorded as the
// collection records them, with readings that vary like a discharging
// stack's.
void fillRing(context::Monitor& m, int points) {
  m.stack.CARDSTACK = 9;
  m.datalog.SETpoint = points;
  m.datalog.DATAlog.reset(points);
  m.datalog.DSETUPstamp = "02:05:09 PM @ 12-07-2026";
  m.datalog.SAMPLEpoints = points;
  m.datalog.SAMPLEtime = static_cast<float>(points) * 0.8f;
  for (int b = 0; b < 10; ++b) {
    auto& r = m.stack.board[static_cast<std::size_t>(b)];
    r.CFGRread = {"E2", "00", "00", "00", "00", "00"};
    r.FLGRread = {"00", "00", "00"};
    r.VUVread = "3.120V ";
    r.VOVread = "4.200V ";
    for (int c = 1; c <= 12; ++c) m.stack.CELLstatus[state::statusIndex(b, c)] = c == 11 ? 2 : 1;
  }
  for (int p = 1; p <= points; ++p) {
    for (int b = 0; b < 10; ++b) {
      for (int c = 1; c <= 12; ++c)
        m.stack.READINGvolts[state::cellReading(b, c)] =
            state::codeToVolts(2600 - (p * 7 / 100) % 400 - 2 * c - b);
      for (int t = 0; t < 3; ++t) m.stack.READINGvolts[state::temperatureReading(b, t)] = 1.2f + 0.001f * t;
    }
    m.datalog.DATApoint = p;
    datalog::COLLECT_DATA_xls(m);
  }
  m.stack.CYCLEflag = 1;
  m.datalog.DATApoint = points / 3 + 1;
  m.stack.COUNTERstop = m.datalog.DATApoint;
}

struct Ring {
  test::FakeDesktop desktop;
  context::SystemClock clock;
  context::Monitor m{std::make_unique<link::SimulatedPort>(std::make_shared<sim::Simulator>(), false), desktop, clock};
  explicit Ring(int points) { fillRing(m, points); }
};

// Resident and peak resident memory of this process, in MiB.
double statusMiB(const char* field) {
  std::ifstream in("/proc/self/status");
  std::string key;
  while (in >> key) {
    double kb = 0;
    if (key == field && in >> kb) return kb / 1024.0;
    in.ignore(1 << 12, '\n');
  }
  return 0;
}

// $KESTRAV_BENCH_WORKBOOK, when set, keeps the workbook of the longest ring
// there for the checks of scripts/bench.
void BM_ExportRingToTmp(benchmark::State& st) {
  Ring ring(static_cast<int>(st.range(0)));
  const char* keep = std::getenv("KESTRAV_BENCH_WORKBOOK");
  const bool kept = keep != nullptr && st.range(0) == 32767;
  ring.m.datalog.NewFile = kept ? keep : "/tmp/kestrav-bench-" + std::to_string(::getpid()) + ".xls";
  // What the export adds to the process holding the ring: the peak is reset
  // (Linux 4.0 and later) once the ring is filled.
  const double beforeMiB = statusMiB("VmRSS:"), fillPeakMiB = statusMiB("VmHWM:");
  std::ofstream clearRefs("/proc/self/clear_refs");
  const bool peakReset = static_cast<bool>(clearRefs << "5" << std::flush);
  for (auto _ : st) datalog::SAVE_2_xls(ring.m);
  if (peakReset) st.counters["export_peak_over_ring_MiB"] = statusMiB("VmHWM:") - beforeMiB;
  if (!ring.desktop.messages.empty()) st.SkipWithError("the workbook could not be written");
  std::ifstream f(ring.m.datalog.NewFile, std::ios::binary | std::ios::ate);
  st.counters["file_MiB"] = static_cast<double>(f.tellg()) / (1024.0 * 1024.0);
  st.counters["peak_rss_MiB"] = std::max(fillPeakMiB, statusMiB("VmHWM:"));
  if (!kept) std::remove(ring.m.datalog.NewFile.c_str());
}
BENCHMARK(BM_ExportRingToTmp)->Arg(1000)->Arg(32767)->Unit(benchmark::kMillisecond)->Iterations(3);

// The ring's own bytes, and the process after filling it.
void BM_RingMemory(benchmark::State& st) {
  for (auto _ : st) {
    Ring ring(static_cast<int>(st.range(0)));
    st.counters["store_MiB"] = static_cast<double>(ring.m.datalog.DATAlog.bytes()) / (1024.0 * 1024.0);
    st.counters["rss_MiB"] = statusMiB("VmRSS:");
  }
}
BENCHMARK(BM_RingMemory)->Arg(1000)->Arg(32767)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
