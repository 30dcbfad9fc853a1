#include "app/PortArguments.h"

#include <charconv>

#include "link/ports/SerialPort.h"

namespace kestrav::app {

bool ArgumentReader::next() {
  if (started_) ++i_;
  started_ = true;
  return i_ < args_.size();
}

std::optional<std::string> ArgumentReader::value() {
  std::string v;
  if (hasInlineValue())
    v = std::string(arg().substr(arg().find('=') + 1));
  else if (i_ + 1 < args_.size())
    v = args_[++i_];
  else
    return std::nullopt;
  // The next option is not a value: "--port --simulate" must not open a tty
  // called "--simulate".
  if (v.rfind("--", 0) == 0) return std::nullopt;
  return v;
}

std::optional<int> positiveNumber(std::string_view s) {
  int value = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
  if (ec != std::errc() || end != s.data() + s.size() || value <= 0) return std::nullopt;
  return value;
}

bool PortArguments::take(ArgumentReader& r, std::string& error) {
  const std::string_view name = r.name();
  if (name == "--port") {
    const auto path = r.value();
    if (!path || path->empty()) {
      error = "--port needs the path of a tty";
    } else {
      options.port = PortKind::Serial;
      options.path = *path;
      portGiven_ = true;
    }
    return true;
  }
  if (name == "--baud") {
    const auto text = r.value();
    const auto baud = text ? positiveNumber(*text) : std::nullopt;
    if (!baud) {
      error = "--baud needs a positive number";
    } else if (!link::SerialPort::supportsBaud(*baud)) {
      error = "--baud " + std::to_string(*baud) + " is not a rate a tty can run at";
    } else {
      options.baud = *baud;
      baudGiven_ = true;
    }
    return true;
  }
  if (name == "--simulate") {
    // Only "--simulate=N": a bare --simulate never takes the next word.
    if (r.hasInlineValue()) {
      const auto boards = positiveNumber(r.arg().substr(r.arg().find('=') + 1));
      if (!boards || *boards > kMaxSimulatedBoards) {
        error = "--simulate=N needs N from 1 to " + std::to_string(kMaxSimulatedBoards);
        return true;
      }
      options.boards = *boards;
    }
    options.port = PortKind::Simulator;
    simulateGiven_ = true;
    return true;
  }
  return false;
}

std::string PortArguments::check() const {
  if (portGiven_ && simulateGiven_) return "--port and --simulate exclude each other";
  if (baudGiven_ && !portGiven_) return "--baud applies to --port only";
  return {};
}

std::string portUsageLines() {
  return "  (no option)      the bridge on the first FTDI USB device\n"
         "  --port PATH      the bridge on a serial tty such as /dev/ttyUSB0\n"
         "  --baud N         its baud rate (default 115200)\n"
         "  --simulate[=N]   the built-in simulator with N boards (default 10)\n";
}

}  // namespace kestrav::app
