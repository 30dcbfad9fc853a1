#pragma once
// Stack configuration files in the window: File > Open Stack
// Configuration... and Save Stack Configuration..., and the steps that put
// a configuration into the window the way a user would.

#include <string>

#include "config/StackConfig.h"
#include "context/Monitor.h"

namespace kestrav::app {

using context::Monitor;

// Puts `c` into the window through the same handlers a user's clicks and
// typed values run: the stack size, every board's address, the broadcast
// boxes, and for each board of the stack its duty cycle, register boxes and
// thresholds (typed in per-board mode, so each board keeps its own), then
// the file's threshold option and "PEC Match Only". Everything shows grey,
// prepared and not written; nothing goes to the chips. The selected board
// stays selected when it is still in the stack. Boards beyond the stack
// keep their settings.
void applyStackConfig(Monitor& m, const config::StackConfig& c);

// Reads the file and applies it; the error (naming the file, the field and
// the reason) when the file is refused, and then nothing has changed.
std::string openStackConfig(Monitor& m, const std::string& path);

// Writes what is prepared to the file; the error when it was not written.
std::string saveStackConfig(const Monitor& m, const std::string& path);

// For scripts (a dict in Python is this text through its json module): the
// prepared configuration in the file's layout, and a text in that layout
// checked and applied as a file is; the refusal ("board 2 \"vuv\": ...")
// when it is not, and then nothing has changed.
std::string preparedStackConfigJson(const Monitor& m);
std::string applyStackConfigJson(Monitor& m, const std::string& json);

void mnuOpenStackConfig_Click(Monitor& m);
void mnuSaveStackConfig_Click(Monitor& m);

}  // namespace kestrav::app
