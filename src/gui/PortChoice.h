#pragma once
// What stands in for the bridge ("device 0") as the command line chose it,
// and how the program names it when the bridge refuses. No Qt here.

#include <memory>
#include <string>

#include "gui/CommandLine.h"
#include "link/BridgePort.h"

namespace kestrav::gui {

std::unique_ptr<link::BridgePort> makePort(const Options& options);

// "FTDI device 0", "/dev/ttyUSB0", "the simulator (10 boards)".
std::string portName(const Options& options);

// The one line written to standard error when the bridge does not name the
// expected chip, at start-up or at a tick:
//   kestrav-gui: the bridge on /dev/pts/3 answered "KESTRAV-3" instead of "KESTRAV-2"
// Characters that cannot be printed are shown as \xNN.
std::string refusalLine(const std::string& program, const std::string& port, const std::string& identification);

}  // namespace kestrav::gui
