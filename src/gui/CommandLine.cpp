#include "gui/CommandLine.h"

#include "app/PortArguments.h"
#include "app/TelemetryArguments.h"

namespace kestrav::gui {

namespace {

CommandLine fail(std::string error) {
  CommandLine c;
  c.action = Action::Error;
  c.error = std::move(error);
  return c;
}

}  // namespace

CommandLine parseCommandLine(const std::vector<std::string>& args) {
  CommandLine c;
  app::PortArguments port;
  app::TelemetryArguments telemetry;
  app::ArgumentReader r(args);
  while (r.next()) {
    if (r.arg() == "--help" || r.arg() == "-h") {
      c.action = Action::Help;
      return c;
    }
    if (r.arg() == "--version") {
      c.action = Action::Version;
      return c;
    }
    if (r.name() == "--trace") {
      const auto path = r.value();
      if (!path || path->empty()) return fail("--trace needs the path of a file");
      c.tracePath = *path;
      continue;
    }
    std::string error;
    if (!port.take(r, error) && !telemetry.take(r, error)) return fail("unknown option " + std::string(r.arg()));
    if (!error.empty()) return fail(error);
  }
  if (const std::string error = port.check(); !error.empty()) return fail(error);
  c.options = port.options;
  if (const std::string error = telemetry.check(); !error.empty()) return fail(error);
  c.telemetry = telemetry.options;
  return c;
}

std::string usageText(const std::string& program) {
  return "Usage: " + program +
         " [--port PATH [--baud N] | --simulate[=N]] [--trace FILE]\n"
         "Monitor for a stack of up to ten KESTRAV-2 battery-monitor boards.\n"
         "\n" +
         app::portUsageLines() +
         "  --trace FILE     write every bridge transaction to FILE, one line each\n" +
         app::telemetryUsageLines() +
         "  --help           show this text\n"
         "  --version        show the version\n";
}

}  // namespace kestrav::gui
