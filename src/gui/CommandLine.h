#pragma once
// The command line of kestrav-gui. The options choose what stands in for
// the bridge ("device 0") and where a trace of the bridge traffic goes;
// nothing else of the program is configurable.
// No Qt here: the line is read before the window system starts, so that
// --help and --version work without a display.

#include <string>
#include <vector>

namespace kestrav::gui {

enum class PortKind { Ftdi, Serial, Simulator };

struct Options {
  PortKind port = PortKind::Ftdi;
  std::string path;     // the tty of PortKind::Serial
  int baud = 115200;    // of PortKind::Serial
  int boards = 10;      // chips of PortKind::Simulator
  std::string tracePath;  // --trace FILE: every bridge transaction, one line each; empty for none
};

enum class Action { Run, Help, Version, Error };

struct CommandLine {
  Action action = Action::Run;
  Options options;
  std::string error;  // what is wrong, for Action::Error
};

constexpr int kMaxSimulatedBoards = 15;

// args excludes the program name.
CommandLine parseCommandLine(const std::vector<std::string>& args);

std::string usageText(const std::string& program);

}  // namespace kestrav::gui
