// kestrav-pace-bench: the fast pace against the window's pace and against
// the modelled line, over the real serial port. kestrav-sim serves ten
// boards on a pty with the line model at 115200 Bd and a 2 ms USB latency
// timer; the monitor talks to it through SerialPort, a datalog collecting.
// For SECONDS (60 unless given as the first argument) each:
// - fast pace: measure::fastPass back to back;
// - window pace: Timer1 ticks every 100 ms, as kestrav-gui and kestrav-log.
// Every transaction is timed from the port's open to its close, and the
// bridge trace of each run goes to a file in /tmp that the RDCV counts are
// taken from. Prints:
// - the fast pass's mean time (identifications included), the model's limit
//   for the same transactions (sim/LineTiming.h; an identification counts
//   its 200 ms read time-out, which it waits out by design) and their ratio;
// - each transaction's time beyond its line time (the adapter's hold and
//   the port's own overhead), against one latency period + 1 ms;
// - RDCV transactions addressed to board 1 per minute and datalog samples
//   per minute, fast and window, and the window's pass time.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/Events.h"
#include "context/Clock.h"
#include "context/Monitor.h"
#include "datalog/DatalogScript.h"
#include "history/TraceWriter.h"
#include "history/TransactionTap.h"
#include "link/BridgeLink.h"
#include "link/ports/SerialPort.h"
#include "measure/FastPass.h"
#include "sim/LineTiming.h"
#include "support/FakeDesktop.h"

extern char** environ;

namespace {

using namespace kestrav;
using Clock = std::chrono::steady_clock;

constexpr sim::LineSettings kLine{sim::kUsbBridgeBaud, sim::kUsbBridgeLatencyMs};
constexpr int kBoards = 10;

double ms(std::chrono::nanoseconds d) { return std::chrono::duration<double, std::milli>(d).count(); }

// kestrav-sim in a child process; its first line is the pty's path.
class SimProcess {
 public:
  SimProcess() {
    const std::string binary = std::string(KESTRAV_BINARY_DIR) + "/kestrav-sim";
    int out[2];
    if (::pipe(out) != 0) std::exit(1);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    std::vector<std::string> args = {binary, "--boards", std::to_string(kBoards), "--line-baud",
                                     std::to_string(kLine.baud), "--usb-latency-ms", std::to_string(kLine.usbLatencyMs)};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (posix_spawn(&pid_, binary.c_str(), &actions, nullptr, argv.data(), environ) != 0) {
      std::fprintf(stderr, "cannot start %s\n", binary.c_str());
      std::exit(1);
    }
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    char c;
    while (::read(out[0], &c, 1) == 1 && c != '\n') path_ += c;
    ::close(out[0]);
  }
  ~SimProcess() {
    ::kill(pid_, SIGTERM);
    ::waitpid(pid_, nullptr, 0);
  }
  const std::string& path() const { return path_; }

 private:
  pid_t pid_ = -1;
  std::string path_;
};

struct Timed {
  std::string written;
  std::size_t requested = 0;
  std::size_t received = 0;
  std::chrono::nanoseconds took{};
};

// The serial port, each transaction timed from open to close.
class TimedPort : public link::BridgePort {
 public:
  TimedPort(std::unique_ptr<link::BridgePort> inner, std::vector<Timed>& log) : inner_(std::move(inner)), log_(log) {}
  void open() override {
    start_ = Clock::now();
    current_ = {};
    inner_->open();
  }
  void setTimeouts(int r, int w) override { inner_->setTimeouts(r, w); }
  void write(std::string_view b) override {
    current_.written.assign(b);
    inner_->write(b);
  }
  std::size_t read(char* buffer, std::size_t count) override {
    const std::size_t n = inner_->read(buffer, count);
    current_.requested += count;
    current_.received += n;
    return n;
  }
  void close() override {
    inner_->close();
    current_.took = Clock::now() - start_;
    log_.push_back(current_);
  }

 private:
  std::unique_ptr<link::BridgePort> inner_;
  std::vector<Timed>& log_;
  Timed current_;
  Clock::time_point start_;
};

struct Run {
  std::vector<Timed> transactions;
  std::chrono::nanoseconds elapsed{};
  long passes = 0;
  long samples = 0;
  long rdcvBoard1 = 0;  // counted in the trace file
};

long countInTrace(const std::string& path, const std::string& written) {
  std::ifstream in(path);
  long n = 0;
  for (std::string line; std::getline(in, line);) {
    const auto tab = line.find('\t');
    if (tab != std::string::npos && line.compare(tab + 1, written.size() + 1, written + "\t") == 0) ++n;
  }
  return n;
}

Run run(const std::string& pty, bool fast, std::chrono::seconds length) {
  Run r;
  test::FakeDesktop desktop;
  context::SystemClock clock;
  context::Monitor m(std::make_unique<TimedPort>(std::make_unique<link::SerialPort>(pty), r.transactions), desktop,
                     clock);
  const std::string trace = std::string("/tmp/kestrav-pace-bench-") + (fast ? "fast" : "window") + ".trace";
  std::string error;
  auto writer = history::TraceWriter::open(trace, error);
  history::TransactionTap tap(clock);
  if (writer) tap.add(*writer);
  m.link.setObserver(&tap);

  app::wireMainWindow(m);
  app::loadMainWindow(m);
  if (m.ended()) {
    std::fprintf(stderr, "the bridge on %s did not answer\n", pty.c_str());
    std::exit(1);
  }
  m.ui.Combo1.setListIndex(kBoards - 1);
  test::scriptAcceptedSetup(desktop, desktop.folder + "/bench.xls", "26213.6");  // the largest ring
  m.ui.mnuCreateNewSetup.raiseClick();
  r.transactions.clear();

  const Clock::time_point start = Clock::now();
  const Clock::time_point end = start + length;
  const auto tick = std::chrono::milliseconds(m.ui.Timer1.interval());
  Clock::time_point next = start;
  while (Clock::now() < end && !m.ended()) {
    if (fast) {
      if (measure::fastPass(m).end == measure::FastPassEnd::Done) ++r.passes;
    } else {
      std::this_thread::sleep_until(next);
      app::timerTick(m);
      next = std::max(next + tick, Clock::now());
    }
  }
  r.elapsed = Clock::now() - start;
  r.samples = m.datalog.DATApoint - 1;
  m.link.setObserver(nullptr);
  writer.reset();
  r.rdcvBoard1 = countInTrace(trace, "MSxT81T04" + std::string(19, 'R') + "X");
  return r;
}

bool isIdentification(const Timed& t) { return t.written == "IZ"; }

// The model's time for one transaction: line and hold; the identification
// waits out its read time-out whatever the line does.
std::chrono::nanoseconds modelled(const Timed& t) {
  if (isIdentification(t))
    return sim::lineTime(t.written.size(), 0, kLine.baud) + std::chrono::milliseconds(link::kIdentifyReadMs);
  return sim::transactionTime(t.written.size(), t.received, kLine);
}

void percentiles(const char* what, std::vector<double> v) {
  if (v.empty()) return;
  std::sort(v.begin(), v.end());
  auto at = [&](double p) { return v[std::min(v.size() - 1, static_cast<std::size_t>(p * v.size()))]; };
  std::printf("%-58s p50 %.3f  p99 %.3f  max %.3f ms (%zu)\n", what, at(0.5), at(0.99), v.back(), v.size());
}

}  // namespace

int main(int argc, char** argv) {
  const std::chrono::seconds length(argc > 1 ? std::max(1, std::atoi(argv[1])) : 60);
  signal(SIGPIPE, SIG_IGN);
  SimProcess sim;
  if (sim.path().empty()) return 1;
  std::printf("kestrav-sim on %s: %d boards, %d Bd, %d ms latency; %lld s per pace\n", sim.path().c_str(), kBoards,
              kLine.baud, kLine.usbLatencyMs, static_cast<long long>(length.count()));

  const Run fast = run(sim.path(), true, length);
  const Run window = run(sim.path(), false, length);

  std::chrono::nanoseconds limit{};
  std::vector<double> beyondLine;
  long overBudget = 0;
  for (const Timed& t : fast.transactions) {
    limit += modelled(t);
    if (isIdentification(t) || t.received < t.requested) continue;  // only replies that came whole
    const auto beyond = t.took - sim::lineTime(t.written.size(), t.received, kLine.baud);
    beyondLine.push_back(ms(beyond));
    if (beyond > std::chrono::milliseconds(kLine.usbLatencyMs) + std::chrono::milliseconds(1)) ++overBudget;
  }
  const double passMs = ms(fast.elapsed) / static_cast<double>(std::max(1L, fast.passes));
  const double limitMs = ms(limit) / static_cast<double>(std::max(1L, fast.passes));
  const auto perMinute = [](long n, std::chrono::nanoseconds d) { return static_cast<double>(n) * 60e9 / static_cast<double>(d.count()); };

  std::printf("fast pass, mean over %ld passes (identifications included) %.1f ms\n", fast.passes, passMs);
  std::printf("the model's limit for the same transactions                %.1f ms\n", limitMs);
  std::printf("ratio                                                       %.3f (goal <= 1.3)\n", passMs / limitMs);
  std::chrono::nanoseconds inTransactions{};
  for (const Timed& t : fast.transactions) inTransactions += t.took;
  std::printf("of the pass, between transactions (checks, displays, the sample and its journal line) %.1f ms\n",
              (ms(fast.elapsed) - ms(inTransactions)) / static_cast<double>(std::max(1L, fast.passes)));
  percentiles("fast: each transaction beyond its line time", beyondLine);
  for (const char* kind : {"MSxS10X", "MSxS30X", "T04", "T08", "T06", "T02"}) {
    std::vector<double> v;
    for (const Timed& t : fast.transactions)
      if (t.received == t.requested && !isIdentification(t) &&
          (t.written == kind || (t.written.size() > 9 && t.written.compare(6, 3, kind) == 0)))
        v.push_back(ms(t.took - sim::lineTime(t.written.size(), t.received, kLine.baud)));
    percentiles((std::string("  of them ") + kind).c_str(), v);
  }
  std::printf("transactions beyond line time + %d ms + 1 ms: %ld of %zu (identifications excepted)\n",
              kLine.usbLatencyMs, overBudget, beyondLine.size());
  const double fastRdcv = perMinute(fast.rdcvBoard1, fast.elapsed);
  const double windowRdcv = perMinute(window.rdcvBoard1, window.elapsed);
  std::printf("RDCV to board 1 per minute: fast %.0f, window %.1f, ratio %.1f (goal >= 10)\n", fastRdcv, windowRdcv,
              fastRdcv / std::max(windowRdcv, 1e-9));
  std::printf("datalog samples per minute: fast %.0f, window %.1f\n", perMinute(fast.samples, fast.elapsed),
              perMinute(window.samples, window.elapsed));
  // At the window's pace a sample is taken after every board's steps: a
  // pass of the stack is one sample per board.
  std::printf("window pass (all ten boards, 40 ticks) %.0f ms\n",
              ms(window.elapsed) * kBoards / static_cast<double>(std::max(1L, window.samples)));
  return 0;
}
