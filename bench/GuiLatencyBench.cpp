// kestrav-gui-latency: how long the window waits with the core on its own
// thread. The whole program on the simulator in real-time mode (ten boards,
// the bridge's read time-outs in real time), a continuous cycle running; for
// a while (20 s unless given in seconds as the first argument):
// - the window thread's event-loop latency: every 5 ms an event is posted to
//   the loop and the delay until it runs is noted;
// - the core's queue latency: every 250 ms an event is posted to the core
//   the way a click is, and the delay until the core runs it is noted.
// Prints percentiles of both in milliseconds. Runs offscreen by default.

#include <QApplication>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <vector>

#include "app/CoreThread.h"
#include "app/Events.h"
#include "context/Clock.h"
#include "context/Monitor.h"
#include "gui/Look.h"
#include "gui/MainWindow.h"
#include "gui/QtDesktop.h"
#include "gui/QtWindowThread.h"
#include "link/ports/SimulatedPort.h"
#include "sim/Simulator.h"

namespace {

using Clock = std::chrono::steady_clock;

double ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

void report(const char* what, std::vector<double> v) {
  if (v.empty()) return;
  std::sort(v.begin(), v.end());
  auto at = [&](double p) { return v[std::min(v.size() - 1, static_cast<std::size_t>(p * v.size()))]; };
  std::printf("%-28s n=%-5zu p50=%7.2f ms  p90=%7.2f ms  p99=%7.2f ms  max=%7.2f ms\n", what, v.size(), at(0.5),
              at(0.9), at(0.99), v.back());
}

}  // namespace

int main(int argc, char** argv) {
  using namespace kestrav;
  const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication qapp(argc, argv);
  gui::applyLook(qapp);

  gui::QtDesktop desktop;
  gui::QtWindowThread windowThread;
  app::CoreThread core(windowThread, desktop);
  context::SystemClock clock;
  context::Monitor monitor(std::make_unique<link::SimulatedPort>(std::make_shared<sim::Simulator>(), true),
                           core.desktop(), clock);
  gui::MainWindow window(core);
  windowThread.onPublished([&window] { window.render(); });
  desktop.attach(&window, [&window] { window.render(); });
  app::wireMainWindow(monitor);
  app::loadMainWindow(monitor);
  if (monitor.ended()) {
    std::fprintf(stderr, "the simulator was refused\n");
    return 1;
  }
  core.start(monitor);
  window.render();
  window.show();
  // Ten boards, the continuous cycle started as a user would.
  core.post(-1, [](context::Monitor& m, context::Control*) {
    m.ui.Combo1.setListIndex(9);
    m.ui.Command1[10].raiseClick();
  });

  std::vector<double> loop, queue;
  std::mutex queueMutex;
  QTimer sampler;
  QObject::connect(&sampler, &QTimer::timeout, [&] {
    const Clock::time_point posted = Clock::now();
    QMetaObject::invokeMethod(&qapp, [&loop, posted] { loop.push_back(ms(Clock::now() - posted)); },
                              Qt::QueuedConnection);
  });
  QTimer clicker;
  QObject::connect(&clicker, &QTimer::timeout, [&] {
    const Clock::time_point posted = Clock::now();
    core.post(-1, [&, posted](context::Monitor&, context::Control*) {
      std::lock_guard<std::mutex> lock(queueMutex);
      queue.push_back(ms(Clock::now() - posted));
    });
  });
  QTimer::singleShot(1000, [&] {  // once the cycle runs
    sampler.start(5);
    clicker.start(250);
  });
  QTimer::singleShot(1000 + seconds * 1000, &qapp, &QCoreApplication::quit);
  QApplication::exec();
  core.stop();
  std::printf("ten boards, real-time simulator, cycle running=%d, %d s\n", monitor.stack.OnOff, seconds);
  report("window event-loop latency", loop);
  std::lock_guard<std::mutex> lock(queueMutex);
  report("event to core handler", queue);
  return 0;
}
