#include "gui/CommandLine.h"

#include <charconv>
#include <optional>
#include <string_view>

#include "link/ports/SerialPort.h"

namespace kestrav::gui {

namespace {

std::optional<int> positiveNumber(std::string_view s) {
  int value = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
  if (ec != std::errc() || end != s.data() + s.size() || value <= 0) return std::nullopt;
  return value;
}

CommandLine fail(std::string error) {
  CommandLine c;
  c.action = Action::Error;
  c.error = std::move(error);
  return c;
}

}  // namespace

CommandLine parseCommandLine(const std::vector<std::string>& args) {
  CommandLine c;
  bool portGiven = false, simulateGiven = false, baudGiven = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view a = args[i];
    // "--name=value" or "--name value" for the options that take one. A
    // value that starts with "--" is the next option, not a value: "--port
    // --simulate" must not open a tty called "--simulate".
    const std::size_t eq = a.find('=');
    const std::string_view name = a.substr(0, eq);
    auto value = [&]() -> std::optional<std::string> {
      std::string v;
      if (eq != std::string_view::npos)
        v = std::string(a.substr(eq + 1));
      else if (i + 1 < args.size())
        v = args[++i];
      else
        return std::nullopt;
      if (v.rfind("--", 0) == 0) return std::nullopt;
      return v;
    };
    if (a == "--help" || a == "-h") {
      c.action = Action::Help;
      return c;
    }
    if (a == "--version") {
      c.action = Action::Version;
      return c;
    }
    if (name == "--port") {
      const auto path = value();
      if (!path || path->empty()) return fail("--port needs the path of a tty");
      c.options.port = PortKind::Serial;
      c.options.path = *path;
      portGiven = true;
    } else if (name == "--baud") {
      const auto text = value();
      const auto baud = text ? positiveNumber(*text) : std::nullopt;
      if (!baud) return fail("--baud needs a positive number");
      if (!link::SerialPort::supportsBaud(*baud)) return fail("--baud " + std::to_string(*baud) + " is not a rate a tty can run at");
      c.options.baud = *baud;
      baudGiven = true;
    } else if (name == "--simulate") {
      // Only "--simulate=N": a bare --simulate never takes the next word.
      if (eq != std::string_view::npos) {
        const auto boards = positiveNumber(a.substr(eq + 1));
        if (!boards || *boards > kMaxSimulatedBoards)
          return fail("--simulate=N needs N from 1 to " + std::to_string(kMaxSimulatedBoards));
        c.options.boards = *boards;
      }
      c.options.port = PortKind::Simulator;
      simulateGiven = true;
    } else {
      return fail("unknown option " + std::string(a));
    }
  }
  if (portGiven && simulateGiven) return fail("--port and --simulate exclude each other");
  if (baudGiven && !portGiven) return fail("--baud applies to --port only");
  return c;
}

std::string usageText(const std::string& program) {
  return "Usage: " + program +
         " [--port PATH [--baud N] | --simulate[=N]]\n"
         "Monitor for a stack of up to ten KESTRAV-2 battery-monitor boards.\n"
         "\n"
         "  (no option)      the bridge on the first FTDI USB device\n"
         "  --port PATH      the bridge on a serial tty such as /dev/ttyUSB0\n"
         "  --baud N         its baud rate (default 115200)\n"
         "  --simulate[=N]   the built-in simulator with N boards (default 10)\n"
         "  --help           show this text\n"
         "  --version        show the version\n";
}

}  // namespace kestrav::gui
