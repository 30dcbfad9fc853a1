#pragma once
// The command line of kestrav-log:
//   kestrav-log [--port PATH [--baud N] | --simulate[=N]] --boards N --seconds T --out FILE.xls
//               [--vuv V --vov V | --config FILE] [--keep-going] [--trace FILE] [--pace fast|window]
//               [--settle-ms N]

#include <optional>
#include <string>
#include <vector>

#include "app/PortChoice.h"
#include "telemetry/TelemetryOptions.h"

namespace kestrav::headless {

// Timer1's pacing of the window, or fast passes of the whole stack.
enum class LogPace { Window, Fast };

struct LogOptions {
  app::PortOptions port;
  int boards = 0;           // 1..10, the stack size chosen in Combo1; 0: the --config file's
  double seconds = 0.0;     // wall-clock time of collection
  std::string secondsText;  // T as given, typed at the interval prompt
  std::string out;          // the workbook, an absolute path ending in .xls
  // The thresholds as typed into the boxes, both or neither.
  std::optional<std::string> vuv, vov;
  // --config FILE: a stack configuration written to every board first.
  std::string configPath;
  bool keepGoing = false;   // restart the cycle after a read gives up
  std::string tracePath;    // --trace FILE: every bridge transaction, one line each; empty for none
  telemetry::TelemetryOptions telemetry;  // --mqtt and its companions
  LogPace pace = LogPace::Window;
  int settleMs = 0;         // fast pace: wait after each broadcast conversion start
};

enum class LogAction { Run, Help, Version, Error };

struct LogCommandLine {
  LogAction action = LogAction::Run;
  LogOptions options;
  std::string error;  // what is wrong, for LogAction::Error
};

// One sample takes a pass of the cycle of 0.8 s: a shorter run holds none.
constexpr double kShortestRun = 0.8;
// About 115 days; a longer T is refused rather than run into the limits of
// the clock's arithmetic.
constexpr double kLongestRun = 10'000'000.0;
constexpr int kLongestSettleMs = 10000;

// `args` excludes the program name.
LogCommandLine parseLogCommandLine(const std::vector<std::string>& args);

// The first line is the usage line.
std::string logUsageText();

}  // namespace kestrav::headless
