// The FTDI transport at its limit, on the FT232R emulated under umockdev
// (tests/ftdi) at 115200 Bd and a 2 ms latency timer: the time of each kind
// of transaction against its line time plus one latency period, then a
// ten-board stack pass run back to back for a while against the line
// model's limit for the same transactions.
//
//   umockdev-wrapper build/bench/kestrav-ftdi-bench [SECONDS]
//
// The pass is a function of the monitor (see fastPass below), so that any
// pass of the core can be measured the same way.

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <ftdi.h>

#include "app/Events.h"
#include "app/UserSteps.h"
#include "context/Monitor.h"
#include "ftdi/EmulatedFtdi.h"
#include "link/BridgeLink.h"
#include "link/TransactionObserver.h"
#include "link/ports/FtdiPort.h"
#include "measure/FastPass.h"
#include "sim/LineTiming.h"
#include "support/FakeDesktop.h"

namespace {

using namespace kestrav;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Ms = std::chrono::duration<double, std::milli>;

constexpr int kBaud = 115200;
constexpr Ms kLatency{2.0};
constexpr int kBoards = 10;

// Every character written and answered, ten bits each.
Ms lineTime(std::size_t characters) { return sim::characterTime(kBaud) * static_cast<std::int64_t>(characters); }

// The line model's time for one transaction: its characters on the line,
// then the chip's latency timer releasing the reply; a reply shorter than
// asked (the identification) waits out the read time-out instead.
Ms modelLimit(const link::Transaction& t) {
  const Ms line = lineTime(t.written.size() + t.received);
  if (t.received < t.requested) return line + Ms(t.written == "IZ" ? link::kIdentifyReadMs : link::kCommandTimeoutMs);
  return line + kLatency;
}

// Adds up the model's limit of every transaction the link runs.
struct LimitCounter : link::TransactionObserver {
  Ms limit{0};
  int transactions = 0;
  void transactionDone(const link::Transaction& t) override {
    limit += modelLimit(t);
    ++transactions;
  }
};

std::string hexByte(int v) {
  char s[3];
  std::snprintf(s, sizeof s, "%02X", v);
  return s;
}

// The read of `c` from board `k` (0-based), as the command strings form it.
std::string readOf(int k, state::ReadCommand c) {
  const std::size_t tokens = (link::replyLength(c) - 4) / 2;
  static constexpr int kCodes[] = {0x02, 0x04, 0x06, 0x08};
  return "MSxT" + hexByte(0x81 + k) + "T" + hexByte(kCodes[state::index(c)]) + std::string(tokens, 'R') + "X";
}

// The pass measured: the core's fast pass (broadcast starts, every board's
// cells, temperatures and flags, the identification at most every 5 s).
using StackPass = std::function<void(context::Monitor&)>;

StackPass fastPass() {
  return [](context::Monitor& m) { measure::fastPass(m); };
}

struct Kind {
  const char* name;
  std::function<void(link::BridgeLink&)> run;
  std::size_t characters;  // written and answered
};

void transactionTable(link::BridgeLink& link) {
  using state::ReadCommand;
  const std::string config = "MSxT81T01SE0S00S00S00S00S00X";
  const std::vector<Kind> kinds = {
      {"RDCV", [](link::BridgeLink& l) { l.read(ReadCommand::RDCV, readOf(0, ReadCommand::RDCV)); },
       readOf(0, ReadCommand::RDCV).size() + 42},
      {"RDCFG", [](link::BridgeLink& l) { l.read(ReadCommand::RDCFG, readOf(0, ReadCommand::RDCFG)); },
       readOf(0, ReadCommand::RDCFG).size() + 18},
      {"RDFLG", [](link::BridgeLink& l) { l.read(ReadCommand::RDFLG, readOf(0, ReadCommand::RDFLG)); },
       readOf(0, ReadCommand::RDFLG).size() + 12},
      {"RDTMP", [](link::BridgeLink& l) { l.read(ReadCommand::RDTMP, readOf(0, ReadCommand::RDTMP)); },
       readOf(0, ReadCommand::RDTMP).size() + 16},
      {"STCVAD", [](link::BridgeLink& l) { l.send("MSxS10X"); }, 7},
      {"WRCFG", [config](link::BridgeLink& l) { l.send(config); }, config.size() + 4},
  };
  std::printf("%-8s %5s %9s %9s %9s %9s %9s %11s\n", "command", "n", "mean ms", "p50 ms", "p95 ms", "max ms",
              "line ms", "budget ms");
  for (const Kind& k : kinds) {
    std::vector<double> ms;
    for (int i = 0; i < 200; ++i) {
      const auto start = Clock::now();
      k.run(link);
      ms.push_back(Ms(Clock::now() - start).count());
    }
    std::sort(ms.begin(), ms.end());
    double sum = 0;
    for (double v : ms) sum += v;
    const Ms line = lineTime(k.characters);
    std::printf("%-8s %5zu %9.2f %9.2f %9.2f %9.2f %9.2f %11.2f\n", k.name, ms.size(), sum / ms.size(),
                ms[ms.size() / 2], ms[ms.size() * 95 / 100], ms.back(), line.count(),
                (line + kLatency + Ms(1.0)).count());
  }
  std::printf("(budget: line time + one latency period + 1 ms)\n\n");
}

// What the emulation itself costs, under any port: the mean time of a bare
// control transfer (a purge), a bulk-out transfer (a short command) and an
// empty bulk-in transfer (status bytes after one latency period), through
// libftdi alone. On a loaded machine each ioctl's trip to the emulating
// thread adds up to a millisecond or more.
void emulationRoundTrips() {
  ftdi_context* c = ftdi_new();
  if (c == nullptr || ftdi_usb_open(c, 0x0403, 0x6001) != 0) {
    std::printf("the emulated chip did not open\n");
    if (c != nullptr) ftdi_free(c);
    return;
  }
  ftdi_set_latency_timer(c, static_cast<unsigned char>(kLatency.count()));
  c->usb_read_timeout = 100;
  auto mean = [](auto f) {
    const auto start = Clock::now();
    for (int i = 0; i < 100; ++i) f();
    return Ms(Clock::now() - start).count() / 100;
  };
  unsigned char buffer[64];
  const double purge = mean([&] { ftdi_tciflush(c); });
  const double write = mean([&] { ftdi_write_data(c, reinterpret_cast<const unsigned char*>("MSxS10X"), 7); });
  const double empty = mean([&] { ftdi_read_data(c, buffer, sizeof buffer); });
  std::printf("the emulation's own cost: control transfer %.2f ms, bulk-out %.2f ms, empty bulk-in %.2f ms "
              "(%.0f ms of it the latency timer)\n\n",
              purge, write, empty, kLatency.count());
  // The hundred starts written above still stream to the bridge at the
  // line's pace after the writes returned: let them go before the port is
  // measured, or its first identification would wait behind them.
  std::this_thread::sleep_for(500ms);
  ftdi_usb_close(c);
  ftdi_free(c);
}

void passFigures(context::Monitor& m, const StackPass& pass, double seconds) {
  LimitCounter counter;
  m.link.setObserver(&counter);
  int passes = 0;
  const auto start = Clock::now();
  while (Ms(Clock::now() - start).count() < seconds * 1000.0) {
    pass(m);
    ++passes;
  }
  const Ms took = Clock::now() - start;
  m.link.setObserver(nullptr);
  const double mean = took.count() / passes;
  const double limit = counter.limit.count() / passes;
  std::printf("ten-board pass, %d passes in %.1f s (%d transactions, identifications included)\n", passes,
              took.count() / 1000.0, counter.transactions);
  std::printf("  mean pass %.1f ms, the line model's limit %.1f ms, ratio %.2f\n", mean, limit, mean / limit);
}

}  // namespace

int main(int argc, char** argv) {
  if (!test::EmulatedFtdi::available()) {
    std::fprintf(stderr, "run it under umockdev-wrapper\n");
    return 2;
  }
  const double seconds = argc > 1 ? std::atof(argv[1]) : 60.0;
  sim::SimOptions bridge;
  bridge.boards = kBoards;
  test::EmulatedFtdi chip(bridge);
  std::printf("FtdiPort on the emulated FT232R, %d Bd, latency timer %.0f ms\n", kBaud, kLatency.count());
  emulationRoundTrips();
  test::FakeDesktop desktop;
  context::SystemClock clock;  // the pass's identification is due by the clock
  context::Monitor m(std::make_unique<link::FtdiPort>(kBaud), desktop, clock);
  app::wireMainWindow(m);
  app::loadMainWindow(m);
  transactionTable(m.link);
  app::chooseBoards(m, kBoards);
  passFigures(m, fastPass(), seconds);
  return 0;
}
