#pragma once
// kestrav-log --config FILE: the file's configuration put into the window
// and written to every board of the stack, then read back and compared.

#include <string>

#include "config/StackConfig.h"
#include "context/Monitor.h"

namespace kestrav::headless {

// As a user would: the file applied to the boxes, then, with thresholds per
// board (a global write would give every chip the selected board's) and
// WRITE CONFIG addressed, each board selected in turn and written; then
// each selected again and READ CONFIG pressed (again while its reply fails
// the PEC check, at most ten times) and what came back compared with what
// was written. Reading back only after every write also catches two boards
// that share an address but not a configuration. Afterwards the threshold
// option and WRITE CONFIG's broadcast box are the file's again.
// Returns what went wrong, naming the board; empty when every board holds
// what the file says.
std::string writeConfigToStack(context::Monitor& m, const config::StackConfig& c);

}  // namespace kestrav::headless
