#pragma once
// Routing of the main window's events to the routines that own them. The
// view calls these entry points (and the controls' raise* methods, which the
// wiring below connects) for every user action and timer tick.

#include "context/Monitor.h"

namespace kestrav::app {

using context::Monitor;

// Connects every control's click, key and focus events to its handler.
// Called once, right after the Monitor is built.
void wireMainWindow(Monitor& m);

// Runs the window's load handler. Afterwards m.ended() tells whether the
// identification was refused (then the window must never be shown).
void loadMainWindow(Monitor& m);

// One tick of Timer1. Skipped while another event, or a dialog opened inside
// one, is still running, and once the program has ended.
void timerTick(Monitor& m);

// The user closes the window.
void closeRequested(Monitor& m);

}  // namespace kestrav::app
