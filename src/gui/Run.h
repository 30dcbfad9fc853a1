#pragma once
// The life of the program around its window: the core's wiring and load
// handler, the window shown only when the bridge named the expected chip,
// the core thread and the event loop, the core thread's clean end, and the
// one line on standard error when the bridge refused, at start-up or later.

#include <ostream>
#include <string>

#include "app/CoreThread.h"
#include "context/Monitor.h"
#include "gui/MainWindow.h"
#include "gui/QtDesktop.h"

namespace kestrav::gui {

// Returns the program's exit status. `port` names the bridge in the
// refusal line.
// The Monitor must have been built with core.desktop().
int runWindow(context::Monitor& m, app::CoreThread& core, MainWindow& window, QtDesktop& desktop,
              const std::string& port, std::ostream& err);

}  // namespace kestrav::gui
