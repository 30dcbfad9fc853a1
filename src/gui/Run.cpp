#include "gui/Run.h"

#include <QApplication>

#include "app/Events.h"
#include "app/Startup.h"
#include "gui/PortChoice.h"

namespace kestrav::gui {

int runWindow(context::Monitor& m, app::CoreThread& core, MainWindow& window, QtDesktop& desktop,
              const std::string& port, std::ostream& err) {
  desktop.attach(&window, [&window] { window.render(); });
  app::wireMainWindow(m);
  app::loadMainWindow(m);
  int status = 0;
  if (!m.ended()) {
    core.start(m);
    window.render();
    window.show();
    status = QApplication::exec();
    window.hide();
    // However the loop ended, the core ends as closing the window ends it:
    // the event it is running completes, then the unload (nothing, once
    // the program has ended already).
    core.stop([](context::Monitor& mon, context::Control*) { app::closeRequested(mon); });
  }
  // Whatever ended the loop, the core's verdict decides the status.
  if (m.ended()) status = m.exitStatus();
  if (m.ended() && m.exitStatus() == app::kExitRefused)
    err << refusalLine("kestrav-gui", port, m.identification) << std::endl;
  return status;
}

}  // namespace kestrav::gui
