#include "headless/LogCommandLine.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <system_error>

#include "app/PortArguments.h"
#include "app/TelemetryArguments.h"
#include "config/Thresholds.h"
#include "state/BoardStack.h"

namespace kestrav::headless {

namespace {

constexpr float kHighestThreshold = 6.12f;  // code 255 of the comparators

LogCommandLine fail(std::string error) {
  LogCommandLine c;
  c.action = LogAction::Error;
  c.error = std::move(error);
  return c;
}

// Plain decimal text: digits with at most one point, nothing else. This is
// also all the threshold boxes let a user type (apart from a leading "-").
bool plainDecimal(const std::string& s) {
  int digits = 0, points = 0;
  for (const char c : s) {
    if (std::isdigit(static_cast<unsigned char>(c)))
      ++digits;
    else if (c == '.')
      ++points;
    else
      return false;
  }
  return digits > 0 && points <= 1;
}

// The value of plain decimal text; more digits than a double holds give
// infinity, which every range check refuses.
double decimalValue(const std::string& s) {
  double v = 0.0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec == std::errc::result_out_of_range) return HUGE_VAL;
  return v;
}

// A workbook name with something before ".xls": "dir/.xls" names none.
bool namesAWorkbook(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (name.size() <= 4) return false;
  std::string ending = name.substr(name.size() - 4);
  for (char& c : ending) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ending == ".xls";
}

// The rules between the options once every argument was read.
std::string checkOptions(LogOptions& o, bool boardsGiven, bool secondsGiven) {
  if (!o.configPath.empty() && o.vuv) return "--config and --vuv/--vov do not go together: the file holds the thresholds";
  if (!boardsGiven && o.configPath.empty()) return "--boards is needed";
  if (!secondsGiven) return "--seconds is needed";
  if (o.out.empty()) return "--out is needed";
  if (o.vuv.has_value() != o.vov.has_value()) return "--vuv and --vov go together";
  // Judged as the boxes judge the pair typed into them, on the codes the
  // chips would get: 3.001 V and 3.002 V are one code, which the boxes
  // refuse only once the run has begun writing the thresholds.
  if (o.vuv) {
    if (const char* fault = config::thresholdPairFault(config::leadingNumber(*o.vuv), config::leadingNumber(*o.vov)))
      return "--vuv " + *o.vuv + " --vov " + *o.vov + ": " + fault + " (in steps of 0.024 V, rounded half to even)";
  }
  if (!namesAWorkbook(o.out)) return "--out needs a workbook name ending in .xls";
  std::error_code ec;
  const std::filesystem::path out = std::filesystem::absolute(o.out, ec);
  if (ec || !std::filesystem::is_directory(out.parent_path(), ec))
    return "--out " + o.out + ": no such folder";
  o.out = out.lexically_normal().string();
  return {};
}

}  // namespace

LogCommandLine parseLogCommandLine(const std::vector<std::string>& args) {
  LogCommandLine c;
  LogOptions& o = c.options;
  app::PortArguments port;
  app::TelemetryArguments telemetry;
  bool boardsGiven = false, secondsGiven = false;
  app::ArgumentReader r(args);
  while (r.next()) {
    const std::string name(r.name());
    if (r.arg() == "--help" || r.arg() == "-h") {
      c.action = LogAction::Help;
      return c;
    }
    if (r.arg() == "--version") {
      c.action = LogAction::Version;
      return c;
    }
    std::string error;
    if (port.take(r, error) || telemetry.take(r, error)) {
      if (!error.empty()) return fail(error);
    } else if (name == "--keep-going" && !r.hasInlineValue()) {
      o.keepGoing = true;
    } else if (name == "--boards") {
      const auto text = r.value();
      const auto boards = text ? app::positiveNumber(*text) : std::nullopt;
      if (!boards || *boards > state::kBoards)
        return fail("--boards needs N from 1 to " + std::to_string(state::kBoards));
      o.boards = *boards;
      boardsGiven = true;
    } else if (name == "--seconds") {
      const auto text = r.value();
      if (!text || !plainDecimal(*text)) return fail("--seconds needs a number of seconds such as 3600");
      o.seconds = decimalValue(*text);
      if (!(o.seconds >= kShortestRun)) return fail("--seconds needs at least 0.8 (one sample)");
      if (!(o.seconds <= kLongestRun)) return fail("--seconds takes at most 10000000 (about 115 days)");
      o.secondsText = *text;
      secondsGiven = true;
    } else if (name == "--out") {
      const auto text = r.value();
      if (!text || text->empty()) return fail("--out needs the path of the workbook");
      o.out = *text;
    } else if (name == "--trace") {
      const auto text = r.value();
      if (!text || text->empty()) return fail("--trace needs the path of a file");
      o.tracePath = *text;
    } else if (name == "--pace") {
      const auto text = r.value();
      if (!text || (*text != "fast" && *text != "window")) return fail("--pace needs fast or window");
      o.pace = *text == "fast" ? LogPace::Fast : LogPace::Window;
    } else if (name == "--settle-ms") {
      const auto text = r.value();
      std::optional<int> ms;
      if (text) ms = *text == "0" ? 0 : app::positiveNumber(*text);
      if (!ms || *ms > kLongestSettleMs)
        return fail("--settle-ms needs milliseconds from 0 to " + std::to_string(kLongestSettleMs));
      o.settleMs = *ms;
    } else if (name == "--config") {
      const auto text = r.value();
      if (!text || text->empty()) return fail("--config needs the path of a stack configuration file");
      o.configPath = *text;
    } else if (name == "--vuv" || name == "--vov") {
      const auto text = r.value();
      if (!text || !plainDecimal(*text) || !(config::leadingNumber(*text) <= kHighestThreshold))
        return fail(name + " needs volts from 0.000 to 6.120");
      (name == "--vuv" ? o.vuv : o.vov) = *text;
    } else {
      return fail("unknown option " + std::string(r.arg()));
    }
  }
  if (const std::string error = port.check(); !error.empty()) return fail(error);
  o.port = port.options;
  if (const std::string error = telemetry.check(); !error.empty()) return fail(error);
  o.telemetry = telemetry.options;
  if (const std::string error = checkOptions(o, boardsGiven, secondsGiven); !error.empty()) return fail(error);
  return c;
}

std::string logUsageText() {
  return "Usage: kestrav-log [--port PATH [--baud N] | --simulate[=N]] --boards N --seconds T --out FILE.xls "
         "[--vuv V --vov V | --config FILE] [--keep-going] [--trace FILE] [--pace fast|window] [--settle-ms N]\n"
         "Datalogs a stack of KESTRAV-2 boards for T seconds without a window: the journal FILE.csv\n"
         "throughout, the last ring-full of samples (at most 32767) in the workbook FILE.xls at the end.\n"
         "\n" +
         app::portUsageLines() +
         "  --boards N       boards in the stack, 1 to 10\n"
         "  --seconds T      how long to collect, in seconds (one sample per 0.8 s), at most 10000000\n"
         "  --out FILE.xls   the workbook; the journal goes beside it\n"
         "  --vuv V --vov V  under- and over-voltage thresholds for every board, written first:\n"
         "                   0.000 to 6.120 V in steps of 0.024 V, VUV's step below VOV's\n"
         "  --config FILE    a stack configuration (as the window saves it) written to every board\n"
         "                   and read back first; it gives the stack size (--boards may be left out)\n"         "  --keep-going     restart the cycle when a read gives up, and count it; ask a garbled\n"
         "                   identification again (three times within a second) before taking the bridge for lost\n"
         "  --trace FILE     write every bridge transaction to FILE, one line each\n"
         "  --pace window    step the stack as the window does: one board step per 100 ms tick\n"
         "                   (the default; a sample per 0.8 s pass in the set-up's arithmetic)\n"
         "  --pace fast      read every board in one pass, passes back to back, one sample each;\n"
         "                   the set-up takes the largest ring (32767 samples)\n"
         "  --settle-ms N    fast pace: wait N ms after each conversion start (default 0)\n" +
         app::telemetryUsageLines() +
         "  --help           show this text\n"
         "  --version        show the version\n"
         "\n"
         "Exit status: 0 done; 1 the bridge refused or was lost, a read gave up, or a file (the trace\n"
         "too) could not be written (FILE.xls and the journal are saved); 2 bad arguments, or FILE.xls or\n"
         "its journal cannot be created in its folder; killed by SIGINT, SIGTERM or SIGHUP after saving both.\n";
}

}  // namespace kestrav::headless
