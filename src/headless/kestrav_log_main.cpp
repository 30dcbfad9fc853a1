// kestrav-log: a datalog of the stack without a window, for test rigs and
// long unattended runs.

#include <signal.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <iostream>
#include <string>
#include <vector>

#include "app/PortChoice.h"
#include "context/Clock.h"
#include "headless/Console.h"
#include "headless/HeadlessDesktop.h"
#include "headless/LogCommandLine.h"
#include "headless/LogRun.h"
#include "headless/Session.h"
#include "headless/StopSignals.h"
#include "history/Tracing.h"
#include "telemetry/Publisher.h"
#include "telemetry/RunWatch.h"

int main(int argc, char** argv) {
  using namespace kestrav;
  using namespace kestrav::headless;
  // First, before any thread exists: every thread inherits the blocked signals.
  StopSignals signals;

  const LogCommandLine line = parseLogCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  switch (line.action) {
    case LogAction::Help:
      std::cout << logUsageText();
      return kExitDone;
    case LogAction::Version:
      std::cout << "kestrav-log " << KESTRAV_VERSION << '\n';
      return kExitDone;
    case LogAction::Error: {
      const std::string usage = logUsageText();
      std::cerr << "kestrav-log: " << line.error << '\n' << usage.substr(0, usage.find('\n') + 1);
      return kExitUsage;
    }
    case LogAction::Run:
      break;
  }

  // A reader of standard error that went away must not end the run unsaved.
  signal(SIGPIPE, SIG_IGN);
  winsize terminal{};
  const bool live = isatty(STDERR_FILENO) == 1;
  if (live) ioctl(STDERR_FILENO, TIOCGWINSZ, &terminal);
  Console console(std::cerr, live, terminal.ws_col);
  HeadlessDesktop desktop(console, "kestrav-log", std::filesystem::path(line.options.out).parent_path().string());
  context::SystemClock clock;
  Session session(app::makePort(line.options.port), desktop, clock);
  context::Monitor& monitor = session.monitor();
  std::unique_ptr<history::Tracing> tracing;
  if (!line.options.tracePath.empty()) {
    std::string error;
    tracing = history::Tracing::start(monitor, line.options.tracePath, error);
    if (!tracing) {
      std::cerr << "kestrav-log: " << error << '\n';
      return kExitUsage;
    }
    tracing->writer().onFailure(
        [&console](const std::string& what) { console.line("kestrav-log: " + what + "; the datalog goes on"); });
  }
  std::unique_ptr<telemetry::Publisher> publisher;
  std::unique_ptr<telemetry::RunWatch> watch;
  if (line.options.telemetry.broker) {
    std::string error;
    publisher = telemetry::Publisher::open(
        line.options.telemetry, "kestrav-log", [](const std::string& text) { std::cerr << "kestrav-log: " + text + "\n"; },
        error);
    if (!publisher) {
      std::cerr << "kestrav-log: " << error << '\n';
      return kExitUsage;
    }
    watch = std::make_unique<telemetry::RunWatch>(*publisher, "kestrav-log");
    watch->attach(monitor);
  }
  int status = runLog(session, line.options, console, signals);
  // A trace that lost lines fails the run, however whole its datalog.
  if (status == kExitDone && tracing && !tracing->writer().healthy()) status = kExitFailed;
  if (watch) watch->finish(status == kExitDone ? "done" : "failed", status);
  return status;
}
