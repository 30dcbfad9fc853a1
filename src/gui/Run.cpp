#include "gui/Run.h"

#include <QApplication>

#include "app/Events.h"
#include "app/SaveOnEnd.h"
#include "app/Startup.h"
#include "app/PortChoice.h"
#include "context/Shutdown.h"
#include "gui/EndSignals.h"

namespace kestrav::gui {

int runWindow(context::Monitor& m, app::CoreThread& core, MainWindow& window, QtDesktop& desktop,
              const std::string& port, std::ostream& err) {
  desktop.attach(&window, [&window] { window.render(); });
  m.saveBeforeEnd = app::saveLastDatalogOnEnd;
  // The save and the end run on the core thread, after the event it is
  // running: a dialog that is up closes as its Escape key would, and the
  // dialogs asked for after it are not shown, so that event ends soon.
  const EndSignals endSignals([&core, &desktop](int signalNumber) {
    desktop.escapeDialogs();
    core.post(-1, [signalNumber](context::Monitor& mon, context::Control*) {
      context::endOnSignal(mon, signalNumber);
    });
  });
  app::wireMainWindow(m);
  app::loadMainWindow(m);
  // A signal during a dialog of the load came before the core ran.
  if (endSignals.received() != 0 && !m.ended()) context::endOnSignal(m, endSignals.received());
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
  const std::string note = m.endNote.empty() ? "" : "; " + m.endNote;
  // A signal's end is told only when it saved something.
  if (endSignals.received() != 0 && !note.empty())
    err << "kestrav-gui: ended by " << context::signalName(endSignals.received()) << note << std::endl;
  else if (endSignals.received() == 0 && m.ended() && m.exitStatus() == app::kExitRefused)
    err << app::refusalLine("kestrav-gui", port, m.identification) << note << std::endl;
  return status;
}

}  // namespace kestrav::gui
