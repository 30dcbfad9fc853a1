#include "gui/Run.h"

#include <QApplication>

#include "app/Events.h"
#include "app/SaveOnEnd.h"
#include "app/Startup.h"
#include "app/PortChoice.h"
#include "gui/EndSignals.h"

namespace kestrav::gui {

int runWindow(context::Monitor& m, MainWindow& window, QtDesktop& desktop, const std::string& port, std::ostream& err) {
  desktop.attach(&window, [&window] { window.render(); });
  m.saveBeforeEnd = app::saveLastDatalogOnEnd;
  const EndSignals endSignals(m);
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
  const std::string note = m.endNote.empty() ? "" : "; " + m.endNote;
  // A signal's end is told only when it saved something.
  if (endSignals.received() != 0 && !note.empty())
    err << "kestrav-gui: ended by " << context::signalName(endSignals.received()) << note << std::endl;
  else if (endSignals.received() == 0 && m.ended() && m.exitStatus() == app::kExitRefused)
    err << app::refusalLine("kestrav-gui", port, m.identification) << note << std::endl;
  return status;
}

}  // namespace kestrav::gui
