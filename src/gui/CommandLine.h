#pragma once
// The command line of kestrav-gui. The options only choose what stands in
// for the bridge ("device 0"); nothing else of the program is configurable.
// No Qt here: the line is read before the window system starts, so that
// --help and --version work without a display.

#include <string>
#include <vector>

#include "app/PortChoice.h"

namespace kestrav::gui {

using app::kMaxSimulatedBoards;
using app::PortKind;
using Options = app::PortOptions;

enum class Action { Run, Help, Version, Error };

struct CommandLine {
  Action action = Action::Run;
  Options options;
  std::string error;  // what is wrong, for Action::Error
};

// args excludes the program name.
CommandLine parseCommandLine(const std::vector<std::string>& args);

std::string usageText(const std::string& program);

}  // namespace kestrav::gui
