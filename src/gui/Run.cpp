#include "gui/Run.h"

#include <QApplication>

#include "app/Events.h"
#include "app/Startup.h"
#include "app/PortChoice.h"

namespace kestrav::gui {

int runWindow(context::Monitor& m, MainWindow& window, QtDesktop& desktop, const std::string& port, std::ostream& err) {
  desktop.attach(&window, [&window] { window.render(); });
  app::wireMainWindow(m);
  app::loadMainWindow(m);
  int status = 0;
  if (!m.ended()) {
    window.render();
    window.show();
    status = QApplication::exec();
    window.hide();
  }
  // Whatever ended the loop, the core's verdict decides the status.
  if (m.ended()) status = m.exitStatus();
  if (m.ended() && m.exitStatus() == app::kExitRefused)
    err << app::refusalLine("kestrav-gui", port, m.identification) << std::endl;
  return status;
}

}  // namespace kestrav::gui
