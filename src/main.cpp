// kestrav-gui: the stack monitor's window on the bridge the command line
// names (the first FTDI device by default).

#include <QApplication>
#include <iostream>
#include <string>
#include <vector>

#include "app/CoreThread.h"
#include "context/Clock.h"
#include "context/Monitor.h"
#include "app/PortChoice.h"
#include "gui/CommandLine.h"
#include "gui/Look.h"
#include "gui/MainWindow.h"
#include "gui/QtDesktop.h"
#include "gui/QtWindowThread.h"
#include "gui/Run.h"
#include "gui/ViewWindows.h"
#include "history/HistoryStore.h"
#include "history/TraceWriter.h"
#include "history/TrafficLog.h"
#include "history/TransactionTap.h"
#include "telemetry/Publisher.h"
#include "telemetry/RunWatch.h"

int main(int argc, char** argv) {
  using namespace kestrav;
  const std::vector<std::string> args(argv + 1, argv + argc);
  const gui::CommandLine line = gui::parseCommandLine(args);
  switch (line.action) {
    case gui::Action::Help:
      std::cout << gui::usageText("kestrav-gui");
      return 0;
    case gui::Action::Version:
      std::cout << "kestrav-gui " << KESTRAV_VERSION << '\n';
      return 0;
    case gui::Action::Error:
      std::cerr << "kestrav-gui: " << line.error << '\n' << gui::usageText("kestrav-gui");
      return 2;
    case gui::Action::Run:
      break;
  }

  // Before the window system, so that a bad path is told without a display.
  std::unique_ptr<history::TraceWriter> trace;
  if (!line.tracePath.empty()) {
    std::string error;
    trace = history::TraceWriter::open(line.tracePath, error);
    if (!trace) {
      std::cerr << "kestrav-gui: " << error << '\n';
      return 2;
    }
  }

  // A second instance publishing as the same bench is refused here, too.
  std::unique_ptr<telemetry::Publisher> publisher;
  if (line.telemetry.broker) {
    std::string error;
    publisher = telemetry::Publisher::open(
        line.telemetry, "kestrav-gui", [](const std::string& text) { std::cerr << "kestrav-gui: " + text + "\n"; },
        error);
    if (!publisher) {
      std::cerr << "kestrav-gui: " << error << '\n';
      return 2;
    }
  }

  QApplication qapp(argc, argv);
  QApplication::setApplicationName("kestrav-gui");
  QApplication::setApplicationVersion(KESTRAV_VERSION);
  gui::applyLook(qapp);

  gui::QtDesktop desktop;
  gui::QtWindowThread windowThread;
  app::CoreThread core(windowThread, desktop);
  context::SystemClock clock;
  // What the View windows and --trace show; they outlive the monitor that feeds them.
  history::HistoryStore history;
  history::TrafficLog traffic;
  history::TransactionTap tap(clock);
  tap.add(traffic);
  if (trace) tap.add(*trace);
  context::Monitor monitor(app::makePort(line.options), core.desktop(), clock);
  monitor.link.setObserver(&tap);
  monitor.readingObserver = &history;
  std::unique_ptr<telemetry::RunWatch> watch;
  if (publisher) {
    watch = std::make_unique<telemetry::RunWatch>(*publisher, "kestrav-gui");
    watch->attach(monitor);
  }
  gui::MainWindow window(core);
  windowThread.onPublished([&window] { window.render(); });
  gui::ViewWindows views(history, traffic, clock);
  views.addMenuTo(window);
  if (publisher) views.setTelemetryState([p = publisher.get()] { return p->stateText(); });
  return gui::runWindow(monitor, core, window, desktop, app::portName(line.options), std::cerr);
}
