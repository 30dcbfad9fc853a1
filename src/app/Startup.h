#pragma once
// Bringing the program up and taking it down: the bridge identification
// (also the heartbeat of every timer tick), the load and unload of the main
// window, the reset to the default configuration and the Exit item.

#include "commands/Identification.h"
#include "context/Monitor.h"

namespace kestrav::app {

using context::Monitor;

using commands::IDENTIFY_BRIDGE;
using commands::kExpectedChip;
using context::kExitRefused;  // the bridge did not name the expected chip

// The window's load handler. A refused identification ends the program
// before the window is shown; otherwise the timer starts and the stack is
// reset to its defaults.
void Form_Load(Monitor& m);

// Reset to the default configuration and refresh the configuration displays.
void GUI_DEFAULT_start(Monitor& m);

// First step of every timer tick: a failed identification ends the program.
// Returns true when the tick may go on.
bool heartbeat(Monitor& m);

// One tick of Timer1: the heartbeat, then one step of a running cycle.
void Timer1_Timer(Monitor& m);

// Closing the window: the unload is allowed and the program ends.
void Form_Unload(Monitor& m);

// File > Exit: ends the program at once.
void mnuExit_Click(Monitor& m);

}  // namespace kestrav::app
