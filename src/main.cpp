// kestrav-gui: the stack monitor's window on the bridge the command line
// names (the first FTDI device by default).

#include <QApplication>
#include <iostream>
#include <string>
#include <vector>

#include "app/CoreThread.h"
#include "context/Clock.h"
#include "context/Monitor.h"
#include "gui/CommandLine.h"
#include "gui/Look.h"
#include "gui/MainWindow.h"
#include "gui/PortChoice.h"
#include "gui/QtDesktop.h"
#include "gui/QtWindowThread.h"
#include "gui/Run.h"

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

  QApplication qapp(argc, argv);
  QApplication::setApplicationName("kestrav-gui");
  QApplication::setApplicationVersion(KESTRAV_VERSION);
  gui::applyLook(qapp);

  gui::QtDesktop desktop;
  gui::QtWindowThread windowThread;
  app::CoreThread core(windowThread, desktop);
  context::SystemClock clock;
  context::Monitor monitor(gui::makePort(line.options), core.desktop(), clock);
  gui::MainWindow window(core);
  windowThread.onPublished([&window] { window.render(); });
  return gui::runWindow(monitor, core, window, desktop, gui::portName(line.options), std::cerr);
}
