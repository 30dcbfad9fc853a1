#pragma once
// The command line of kestrav-gui. The options choose what stands in for
// the bridge ("device 0") and where a trace of the bridge traffic goes;
// nothing else of the program is configurable.
// No Qt here: the line is read before the window system starts, so that
// --help and --version work without a display.

#include <string>
#include <vector>

#include "app/PortChoice.h"
#include "telemetry/TelemetryOptions.h"

namespace kestrav::gui {

using app::kMaxSimulatedBoards;
using app::PortKind;
using Options = app::PortOptions;

enum class Action { Run, Help, Version, Error };

struct CommandLine {
  Action action = Action::Run;
  Options options;
  std::string error;  // what is wrong, for Action::Error
  std::string tracePath;  // --trace FILE: every bridge transaction, one line each; empty for none
  telemetry::TelemetryOptions telemetry;  // --mqtt and its companions
};

// args excludes the program name.
CommandLine parseCommandLine(const std::vector<std::string>& args);

std::string usageText(const std::string& program);

}  // namespace kestrav::gui
