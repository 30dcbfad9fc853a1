#include "app/Events.h"

#include "app/Startup.h"
#include "config/BoardSelection.h"
#include "config/ConfigRegisters.h"
#include "config/Thresholds.h"
#include "datalog/Viewing.h"
#include "datalog/Setup.h"
#include "measure/Continuous.h"
#include "measure/Dispatcher.h"

namespace kestrav::app {

using context::Control;
using context::MainWindowModel;

namespace {

// Marks an event handler as running for the length of its scope.
class HandlerScope {
 public:
  explicit HandlerScope(Monitor& m) : m_(m) { ++m_.handlerDepth; }
  ~HandlerScope() {
    if (--m_.handlerDepth == 0 && m_.runObserver != nullptr) m_.runObserver->handlerReturned(m_);
  }
  HandlerScope(const HandlerScope&) = delete;
  HandlerScope& operator=(const HandlerScope&) = delete;

 private:
  Monitor& m_;
};

using IndexRoutine = void (*)(Monitor&, int);
using PlainRoutine = void (*)(Monitor&);

Control::IndexHandler route(Monitor& m, IndexRoutine r) {
  return [&m, r](int index) {
    if (m.ended()) return;
    HandlerScope scope(m);
    r(m, index);
  };
}

Control::IndexHandler route(Monitor& m, PlainRoutine r) {
  return [&m, r](int) {
    if (m.ended()) return;
    HandlerScope scope(m);
    r(m);
  };
}

template <std::size_t N>
void routeClicks(std::array<Control, N>& controls, Monitor& m, IndexRoutine r) {
  for (Control& c : controls) c.onClick(route(m, r));
}

}  // namespace

void wireMainWindow(Monitor& m) {
  MainWindowModel& ui = m.ui;
  ui.mnuExit.onClick(route(m, &mnuExit_Click));
  ui.mnuCreateNewSetup.onClick(route(m, &datalog::mnuCreateNewSetup_Click));
  ui.mnuUsePreviousSetup.onClick(route(m, &datalog::mnuUsePreviousSetup_Click));
  ui.mnuViewLastDatalog.onClick(route(m, &datalog::mnuViewLastDatalog_Click));

  routeClicks(ui.Command1, m, &measure::Command1_click);
  routeClicks(ui.Command4, m, &config::Command4_Click);
  ui.Combo1.onClick(route(m, &config::Combo1_Click));
  ui.Combo2.onClick(route(m, &config::Combo2_Click));
  routeClicks(ui.Check5, m, &config::Check5_Click);

  routeClicks(ui.Check0, m, &config::Check0_Click);
  routeClicks(ui.Check1, m, &config::Check1_Click);
  routeClicks(ui.Check2, m, &config::Check2_Click);
  routeClicks(ui.Check3, m, &config::Check3_Click);
  routeClicks(ui.Command0, m, &config::Command0_Click);
  routeClicks(ui.Option1, m, &config::Option1_Click);
  routeClicks(ui.Command2, m, &config::Command2_Click);

  for (Control& box : ui.Text2) {
    box.onGotFocus(route(m, &config::Text2_GotFocus));
    box.onLostFocus(route(m, &config::Text2_LostFocus));
    box.onKeyPress([&m](int index, int key) {
      if (m.ended()) return 0;
      HandlerScope scope(m);
      return config::Text2_Keypress(m, index, key);
    });
  }

  ui.Check_AUTO.onClick(route(m, &measure::Check_AUTO_Click));

  // The "SET I/O MODE" boxes are a legend of what checked and unchecked
  // mean: they stay readable (enabled) but a click never changes them.
  for (Control& box : ui.Check4)
    box.onClick([&box](int index) { box.setValue(index == 0 ? 1 : 0); });
}

void loadMainWindow(Monitor& m) {
  HandlerScope scope(m);
  Form_Load(m);
}

void timerTick(Monitor& m) {
  if (m.ended() || m.handlerDepth > 0 || !m.ui.Timer1.enabled()) return;
  HandlerScope scope(m);
  Timer1_Timer(m);
}

void closeRequested(Monitor& m) {
  if (m.ended()) return;
  Form_Unload(m);
}

}  // namespace kestrav::app
