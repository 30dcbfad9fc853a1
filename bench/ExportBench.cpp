// Cost of exporting a full sample ring (ten boards, 1000 samples) to a
// workbook: building it in memory, and the whole export with the file
// written to /tmp.

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <string>

#include "context/Monitor.h"
#include "datalog/Export.h"
#include "link/ports/SimulatedPort.h"
#include "support/FakeDesktop.h"

namespace {

using namespace kestrav;

// A wrapped ring of 1000 samples of ten boards with readings that vary
// like a discharging stack's.
void fillRing(context::Monitor& m) {
  m.stack.CARDSTACK = 9;
  m.stack.CYCLEflag = 1;
  m.stack.COUNTERstop = 401;
  m.datalog.SETpoint = 1000;
  m.datalog.DATApoint = 401;
  m.datalog.DSETUPstamp = "02:05:09 PM @ 12-07-2026";
  m.datalog.SAMPLEpoints = 1000;
  m.datalog.SAMPLEtime = 800.0f;
  for (int p = 1; p <= 1000; ++p) {
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%02d:%02d:%02d PM @ 12-07-2026", 2 + p / 3600, (p / 60) % 60, p % 60);
    for (int b = 0; b < 10; ++b) {
      auto& log = m.datalog.DATAlog;
      log.at(b, 0, p) = stamp;
      log.at(b, 1, p) = "E2, 00, 00, 00, 00, 00.";
      log.at(b, 2, p) = "00, 00, 00";
      log.at(b, 3, p) = "3.120V  ";
      log.at(b, 4, p) = "4.200V  ";
      for (int c = 1; c <= 12; ++c) {
        char v[16];
        std::snprintf(v, sizeof v, "%.3f", 3.9 - 0.0003 * p - 0.002 * c - 0.001 * b);
        log.at(b, 4 + c, p) = v;
      }
      log.at(b, 17, p) = "OK, OK, OK, OK, OK, OK, OK, OK, OK, OK, DC, OK";
      log.at(b, 18, p) = " 1.234";
      log.at(b, 19, p) = " 1.233";
      log.at(b, 20, p) = " 2.901";
    }
  }
}

struct Ring {
  test::FakeDesktop desktop;
  context::SystemClock clock;
  context::Monitor m{std::make_unique<link::SimulatedPort>(std::make_shared<sim::Simulator>(), false), desktop, clock};
  Ring() { fillRing(m); }
};

void BM_BuildFullRingWorkbook(benchmark::State& st) {
  Ring ring;
  std::size_t size = 0;
  for (auto _ : st) {
    const auto bytes = datalog::datalogWorkbook(ring.m, "/tmp/ring.xls").fileBytes();
    size = bytes.size();
    benchmark::DoNotOptimize(bytes.data());
  }
  st.counters["bytes"] = static_cast<double>(size);
}
BENCHMARK(BM_BuildFullRingWorkbook)->Unit(benchmark::kMillisecond);

void BM_ExportFullRingToTmp(benchmark::State& st) {
  Ring ring;
  ring.m.datalog.NewFile = "/tmp/kestrav-bench-" + std::to_string(::getpid()) + ".xls";
  for (auto _ : st) datalog::SAVE_2_xls(ring.m);
  if (!ring.desktop.messages.empty()) st.SkipWithError("the workbook could not be written");
  std::remove(ring.m.datalog.NewFile.c_str());
}
BENCHMARK(BM_ExportFullRingToTmp)->Unit(benchmark::kMillisecond);

}  // namespace
