#pragma once
// What stands in for the bridge ("device 0") as a program's command line
// chose it, and how a program names it when the bridge refuses. Shared by
// kestrav-gui and kestrav-log.

#include <memory>
#include <string>

#include "link/BridgePort.h"

namespace kestrav::app {

enum class PortKind { Ftdi, Serial, Simulator };

struct PortOptions {
  PortKind port = PortKind::Ftdi;
  std::string path;     // the tty of PortKind::Serial
  int baud = 115200;    // of PortKind::Serial
  int boards = 10;      // chips of PortKind::Simulator
};

constexpr int kMaxSimulatedBoards = 15;

std::unique_ptr<link::BridgePort> makePort(const PortOptions& options);

// "FTDI device 0", "/dev/ttyUSB0", "the simulator (10 boards)".
std::string portName(const PortOptions& options);

// The one line written to standard error when the bridge does not name the
// expected chip, at start-up or at a tick:
//   kestrav-gui: the bridge on /dev/pts/3 answered "KESTRAV-3" instead of "KESTRAV-2"
// Characters that cannot be printed are shown as \xNN.
std::string refusalLine(const std::string& program, const std::string& port, const std::string& identification);

}  // namespace kestrav::app
