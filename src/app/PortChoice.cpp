#include "app/PortChoice.h"

#include <cstdio>

#include "app/Startup.h"
#include "link/ports/FtdiPort.h"
#include "link/ports/SerialPort.h"
#include "link/ports/SimulatedPort.h"
#include "sim/Simulator.h"

namespace kestrav::app {

std::unique_ptr<link::BridgePort> makePort(const PortOptions& options) {
  switch (options.port) {
    case PortKind::Serial:
      return std::make_unique<link::SerialPort>(options.path, options.baud);
    case PortKind::Simulator: {
      sim::SimOptions sim;
      sim.boards = options.boards;
      // The pace of a real bench: answers travel a 115200 Bd line and wait
      // in the USB adapter, so the program meets the timing it will meet.
      sim::useUsbBridgeLine(sim);
      return std::make_unique<link::SimulatedPort>(std::make_shared<sim::Simulator>(sim), true);
    }
    case PortKind::Ftdi:
      break;
  }
  return std::make_unique<link::FtdiPort>();
}

std::string portName(const PortOptions& options) {
  switch (options.port) {
    case PortKind::Serial:
      return options.path;
    case PortKind::Simulator:
      return "the simulator (" + std::to_string(options.boards) + (options.boards == 1 ? " board)" : " boards)");
    case PortKind::Ftdi:
      break;
  }
  return "FTDI device 0";
}

std::string refusalLine(const std::string& program, const std::string& port, const std::string& identification) {
  std::string shown;
  for (const char ch : identification) {
    const auto c = static_cast<unsigned char>(ch);
    if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') {
      shown += ch;
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      shown += hex;
    }
  }
  const std::string expected = std::string("\"") + kExpectedChip + "\"";
  const std::string head = program + ": the bridge on " + port;
  if (identification.find_first_not_of(' ') == std::string::npos)
    return head + " did not answer (received \"" + shown + "\" instead of " + expected + ")";
  return head + " answered \"" + shown + "\" instead of " + expected;
}

}  // namespace kestrav::app
