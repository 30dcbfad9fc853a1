#pragma once
// The stack driven without a window: one Monitor on a headless desktop,
// offered as the steps a user takes in the window (app/UserSteps), each
// with plain arguments and results. kestrav-log and the Python package
// stand on it, so the bridge strings, the PEC checks and the retries are
// the window's own, and no step exists twice.
//
// Every step either succeeds or returns why not (a value out of range, a
// read that gave up after its attempts, the bridge lost); nothing shows a
// box and nothing ends the process. Boards are numbered from 0 here (the
// window's board index). One thread at a time.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "config/StackConfig.h"
#include "context/Clock.h"
#include "context/Monitor.h"
#include "headless/Console.h"
#include "headless/HeadlessDesktop.h"
#include "measure/FastPass.h"

namespace kestrav::sim {
class Simulator;
}
namespace kestrav::history {
class Tracing;
}

namespace kestrav::headless {

enum class Fault {
  None,
  OutOfRange,   // a value the window would not take; `text` says which
  Refused,      // the bridge does not name the chip; `text` is what it answered
  Lost,         // a read heard nothing and the bridge no longer names the chip
  PecGaveUp,    // a read threw away every attempt; board, command and both PECs
  Io,           // a file (the trace) or device that cannot be opened
  Unavailable,  // the control is hidden or disabled at this moment
  NotTaken,     // the stack or the set-up did not take what was asked; `text` says what
};

struct Failure {
  Fault kind = Fault::None;
  std::string text;
  // Of a read that gave up.
  int board = 0;
  std::string command;  // "RDCFG", "RDCV", "RDFLG", "RDTMP"
  int received = 0, computed = 0, attempts = 0;

  explicit operator bool() const { return kind != Fault::None; }
};

struct PecCheck {
  int received = 0, computed = 0;
  bool ok = false;
};

struct CellsReading {
  int board = 0;
  std::array<double, 12> volts{};
  std::array<int, 12> codes{};
  PecCheck pec;
};

struct TempsReading {
  int board = 0;
  double etmp1 = 0, etmp2 = 0, itmp = 0;
  std::array<int, 3> codes{};
  PecCheck pec;
};

struct FlagsReading {
  int board = 0;
  std::uint16_t uv = 0, ov = 0;  // bit n: cell n + 1
  std::array<int, 3> raw{};
  PecCheck pec;
};

struct ConfigReading {
  int board = 0;
  std::array<int, 6> registers{};
  double vuv = 0, vov = 0;  // decoded from CFGR4, CFGR5
  bool matchesPrepared = false;
  PecCheck pec;
};

// What the window holds prepared for one board (not what the chip has).
struct PreparedConfig {
  std::array<int, 6> registers{};
  int cdc = 0;
  bool cell10 = false, lvlpl = false, gpio1 = false, gpio2 = false;
  std::uint16_t discharge = 0, mask = 0;  // bit n: cell n + 1
  double vuv = 0, vov = 0;
};

enum class ConfigFlag { Cell10, Lvlpl, Gpio1, Gpio2 };
enum class Start { Cells, OpenWire, Temps, PollAdc, PollInt };

// One pass over the stack: every board's cells, temperatures and flags.
struct BoardSnapshot {
  int board = 0;
  std::string address;
  CellsReading cells;
  TempsReading temps;
  FlagsReading flags;
  std::array<std::string, 12> statuses;
};

// Where the bridge is: "sim:N[?realtime=1&seed=S]", "tty:PATH[?baud=N]",
// "ftdi:".
struct BridgeUri {
  enum class Kind { Simulator, Tty, Ftdi } kind = Kind::Simulator;
  int boards = 10;
  bool realTime = false;
  std::uint32_t seed = 1;
  std::string path;
  int baud = 115200;
};
// The reason in `error` when the text is not such a place.
std::optional<BridgeUri> parseBridgeUri(const std::string& text, std::string& error);

struct SessionOptions {
  bool pecMatchOnly = true;
  std::string tracePath;  // the same trace lines as --trace; none when empty
  int settleMs = 0;       // wait between a conversion start and its read
};

class Session {
 public:
  // Opens the bridge of `uri`, starts the program's model on it and asks
  // the bridge who it is. Nothing (and the reason) when the place is not
  // understood, the trace cannot be written or the bridge is refused.
  static std::unique_ptr<Session> open(const std::string& uri, const SessionOptions& options, Failure& why);
  // On a port of the caller's choice (tests); `simulator` when it plays it.
  static std::unique_ptr<Session> open(std::unique_ptr<link::BridgePort> port,
                                       std::shared_ptr<sim::Simulator> simulator, const SessionOptions& options,
                                       Failure& why);
  // A program's own session on its own desktop (kestrav-log, whose
  // messages go to its console): nothing is asked of the bridge until
  // start(), so that the program first attaches what watches the monitor
  // (a trace, telemetry, its save before an end).
  Session(std::unique_ptr<link::BridgePort> port, HeadlessDesktop& desktop, context::Clock& clock);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // The window's start: the model wired and the bridge asked who it is.
  // Refused, with what it answered, when it does not name the chip.
  Failure start();

  const std::string& identification() const { return m_.identification; }
  // The simulator behind a "sim:" stack, else nullptr.
  sim::Simulator* simulator() const { return simulator_.get(); }
  context::Monitor& monitor() { return m_; }
  HeadlessDesktop& desktop() { return desktop_; }
  // Once the bridge is lost every step fails with Fault::Lost.
  bool lost() const { return m_.ended(); }

  // Stack size 1..10 and the boards' bus addresses (0x80..0x8F).
  int boards() const { return m_.stack.CARDSTACK + 1; }
  Failure setBoards(int boards);
  int address(int board) const;
  Failure setAddress(int board, int address);

  // "PEC Match Only".
  bool pecMatchOnly() const { return m_.ui.Check_AUTO.value() != 0; }
  void setPecMatchOnly(bool on);
  // Broadcast choice of Check5(command) (0 PLADC .. 5 WRCFG); the window
  // carries the boxes shown over to every board it selects.
  bool broadcast(int command) const;
  Failure setBroadcast(int command, bool on);

  // Configuration prepared for a board, edited as the boxes edit it.
  Failure prepared(int board, PreparedConfig& out);
  Failure setCdc(int board, int mode);
  Failure setConfigFlag(int board, ConfigFlag flag, bool on);
  Failure setDischarge(int board, std::uint16_t cells);
  Failure setMask(int board, std::uint16_t cells);
  // One board's thresholds (per-board mode), or every board's (global
  // mode); a threshold not given keeps its value. The window's message when
  // the pair is refused, and then nothing changes.
  Failure setThresholds(int board, std::optional<double> vuv, std::optional<double> vov);
  Failure setAllThresholds(double vuv, double vov);

  // WRITE CONFIG for `board`, addressed to it or broadcast to every chip.
  Failure writeConfig(int board, bool broadcast);
  // The read buttons' commands with the cycle's retries (as "PEC Match
  // Only" says). Cells and temperatures start a conversion first when
  // `start`, broadcast or addressed by the broadcast choice.
  Failure readConfig(int board, ConfigReading& out);
  Failure readCells(int board, bool start, CellsReading& out);
  Failure readTemps(int board, bool start, TempsReading& out);
  Failure readFlags(int board, FlagsReading& out);
  // The start and poll buttons, for `board` where addressed.
  Failure start(int board, Start what);
  // Each cell's status as the window classifies it ("OK", "DC", ...).
  Failure statuses(int board, std::array<std::string, 12>& out);
  // Every board of the stack in one fast pass (measure/FastPass): a
  // broadcast start of each conversion, then every board's reads.
  Failure readAll(std::vector<BoardSnapshot>& out);

  // A configuration file's stack put into the window and written to every
  // board, then read back and compared (NotTaken names the board).
  Failure writeStackConfig(const config::StackConfig& c);

  // --- Datalog -------------------------------------------------------------
  // Datalog > Create New Setup, answered with `workbook` and an interval of
  // `seconds` as typed; collection runs afterwards. NotTaken when the set-up
  // refused an answer (the window's message says which).
  Failure createDatalog(const std::string& workbook, const std::string& seconds);
  // One tick of Timer1: the next step of the cycle, as the window paces it.
  void timerTick();
  // One fast pass over the stack (measure/FastPass), recording the datalog
  // sample when collection runs.
  measure::FastPassResult fastPass(const measure::FastPassOptions& options);
  // START D-LOG after a read gave up and stopped the cycle.
  void restartDatalog();
  // The VIEW export of the ring to the set-up's workbook; also after the
  // bridge was lost (the save before the end). Io with the window's message
  // when the workbook could not be written.
  Failure exportDatalog();

 private:
  // A script's session: the boxes a step shows are kept only until the step
  // returns its reason.
  Session(std::unique_ptr<link::BridgePort> port, std::shared_ptr<sim::Simulator> simulator,
          const SessionOptions& options);
  Failure usable() const;
  Failure selectBoard(int board);
  // The bridge still there after a step; the boxes it showed are dropped.
  Failure afterStep() const;
  Failure readWithRetries(int board, state::ReadCommand c, void (*read)(context::Monitor&));
  // The failure of a read that gave up after its attempts, with both PECs.
  Failure gaveUp(int board, state::ReadCommand c) const;
  void settle() const;
  // What the last reads of `board` left in the stack's state.
  void cellsOf(int board, CellsReading& out) const;
  void tempsOf(int board, TempsReading& out) const;
  void flagsOf(int board, FlagsReading& out) const;

  // Failure of the pair just typed: the codes kept are not those asked for.
  Failure thresholdsKept(int firstBoard, int lastBoard, float vuv, float vov) const;

  mutable std::ostringstream messages_;  // a script's session: the boxes of the current step
  std::unique_ptr<Console> quietConsole_;
  std::unique_ptr<HeadlessDesktop> quietDesktop_;
  HeadlessDesktop& desktop_;
  context::SystemClock systemClock_;
  std::shared_ptr<sim::Simulator> simulator_;
  context::Monitor m_;
  std::unique_ptr<history::Tracing> tracing_;
  SessionOptions options_;
};

}  // namespace kestrav::headless
