#include "headless/Session.h"

#include <charconv>
#include <chrono>
#include <thread>

#include "app/Events.h"
#include "app/PortChoice.h"
#include "app/UserSteps.h"
#include "commands/Identification.h"
#include "config/Thresholds.h"
#include "commands/PecVerification.h"
#include "commands/ReadCells.h"
#include "commands/ReadConfig.h"
#include "commands/ReadFlags.h"
#include "commands/ReadTemps.h"
#include "commands/Starts.h"
#include "display/CellStatus.h"
#include "display/CellStatusCodes.h"
#include "headless/ConfigWrite.h"
#include "history/Tracing.h"
#include "link/ports/FtdiPort.h"
#include "link/ports/SerialPort.h"
#include "link/ports/SimulatedPort.h"
#include "measure/FastPass.h"
#include "sim/Simulator.h"
#include "state/HexText.h"

namespace kestrav::headless {

using state::ReadCommand;

namespace {

constexpr double kVoltsPerThresholdCode = 0.024;
constexpr int kWriteConfigCommand = 5;
constexpr int kLowestAddress = 0x80, kHighestAddress = 0x8F;

Failure failure(Fault kind, std::string text) {
  Failure f;
  f.kind = kind;
  f.text = std::move(text);
  return f;
}

const char* commandName(ReadCommand c) {
  switch (c) {
    case ReadCommand::RDCFG: return "RDCFG";
    case ReadCommand::RDCV: return "RDCV";
    case ReadCommand::RDFLG: return "RDFLG";
    case ReadCommand::RDTMP: return "RDTMP";
  }
  return "";
}

std::optional<int> wholeNumber(std::string_view s) {
  int v = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc() || end != s.data() + s.size() || s.empty()) return std::nullopt;
  return v;
}

int hexValue(const std::string& text) { return state::leadingHexValue(text); }

PecCheck pecOf(const context::Monitor& m, int board, ReadCommand c) {
  const state::BoardRecord& r = m.stack.board[board];
  PecCheck p;
  p.received = r.PECrx[state::index(c)];
  p.computed = r.PECcalc[state::index(c)];
  p.ok = p.received == p.computed && commands::replyArrivedInFull(m, c);
  return p;
}

}  // namespace

std::optional<BridgeUri> parseBridgeUri(const std::string& text, std::string& error) {
  const std::size_t colon = text.find(':');
  if (colon == std::string::npos) {
    error = "\"" + text + "\" names no bridge: use sim:N, tty:PATH or ftdi:";
    return std::nullopt;
  }
  const std::string scheme = text.substr(0, colon);
  std::string rest = text.substr(colon + 1);
  std::string query;
  if (const std::size_t q = rest.find('?'); q != std::string::npos) {
    query = rest.substr(q + 1);
    rest.erase(q);
  }
  BridgeUri uri;
  if (scheme == "sim") {
    uri.kind = BridgeUri::Kind::Simulator;
    if (!rest.empty()) {
      const auto n = wholeNumber(rest);
      if (!n || *n < 1 || *n > app::kMaxSimulatedBoards) {
        error = "the simulator takes 1 to " + std::to_string(app::kMaxSimulatedBoards) + " boards, not \"" + rest + "\"";
        return std::nullopt;
      }
      uri.boards = *n;
    }
  } else if (scheme == "tty") {
    uri.kind = BridgeUri::Kind::Tty;
    if (rest.empty()) {
      error = "tty: needs the path of the serial device";
      return std::nullopt;
    }
    uri.path = rest;
  } else if (scheme == "ftdi") {
    uri.kind = BridgeUri::Kind::Ftdi;
  } else {
    error = "unknown bridge \"" + scheme + ":\": use sim:N, tty:PATH or ftdi:";
    return std::nullopt;
  }
  // key=value pairs joined by "&".
  std::size_t pos = 0;
  while (pos < query.size()) {
    std::size_t amp = query.find('&', pos);
    if (amp == std::string::npos) amp = query.size();
    const std::string pair = query.substr(pos, amp - pos);
    pos = amp + 1;
    const std::size_t eq = pair.find('=');
    const std::string key = pair.substr(0, eq);
    const std::string value = eq == std::string::npos ? "" : pair.substr(eq + 1);
    const auto n = wholeNumber(value);
    const bool sim = uri.kind == BridgeUri::Kind::Simulator;
    if (sim && key == "realtime" && n && (*n == 0 || *n == 1)) {
      uri.realTime = *n == 1;
    } else if (sim && key == "seed" && n && *n >= 0) {
      uri.seed = static_cast<std::uint32_t>(*n);
    } else if (uri.kind == BridgeUri::Kind::Tty && key == "baud" && n && *n > 0) {
      uri.baud = *n;
    } else {
      error = "\"" + pair + "\" is not an option of " + scheme + ":";
      return std::nullopt;
    }
  }
  return uri;
}

std::unique_ptr<Session> Session::open(const std::string& uriText, const SessionOptions& options, Failure& why) {
  std::string error;
  const std::optional<BridgeUri> uri = parseBridgeUri(uriText, error);
  if (!uri) {
    why = failure(Fault::OutOfRange, error);
    return nullptr;
  }
  switch (uri->kind) {
    case BridgeUri::Kind::Simulator: {
      sim::SimOptions sim;
      sim.boards = uri->boards;
      sim.seed = uri->seed;
      // The simulator answers at once unless asked to pace like the bench
      // bridge: a 115200 Bd line behind a USB adapter's 2 ms latency timer.
      if (uri->realTime) sim::useUsbBridgeLine(sim);
      auto simulator = std::make_shared<sim::Simulator>(sim);
      return open(std::make_unique<link::SimulatedPort>(simulator, uri->realTime), simulator, options, why);
    }
    case BridgeUri::Kind::Tty:
      return open(std::make_unique<link::SerialPort>(uri->path, uri->baud), nullptr, options, why);
    case BridgeUri::Kind::Ftdi:
      break;
  }
  return open(std::make_unique<link::FtdiPort>(), nullptr, options, why);
}

std::unique_ptr<Session> Session::open(std::unique_ptr<link::BridgePort> port,
                                       std::shared_ptr<sim::Simulator> simulator, const SessionOptions& options,
                                       Failure& why) {
  std::unique_ptr<Session> s(new Session(std::move(port), std::move(simulator), options));
  if (!options.tracePath.empty()) {
    std::string error;
    s->tracing_ = history::Tracing::start(s->m_, options.tracePath, error);
    if (!s->tracing_) {
      why = failure(Fault::Io, error);
      return nullptr;
    }
  }
  if ((why = s->start())) return nullptr;
  s->setPecMatchOnly(options.pecMatchOnly);
  return s;
}

Session::Session(std::unique_ptr<link::BridgePort> port, std::shared_ptr<sim::Simulator> simulator,
                 const SessionOptions& options)
    : quietConsole_(std::make_unique<Console>(messages_, false)),
      quietDesktop_(std::make_unique<HeadlessDesktop>(*quietConsole_, "kestrav", ".")),
      desktop_(*quietDesktop_),
      simulator_(std::move(simulator)),
      m_(std::move(port), desktop_, systemClock_),
      options_(options) {}

Session::Session(std::unique_ptr<link::BridgePort> port, HeadlessDesktop& desktop, context::Clock& clock)
    : desktop_(desktop), m_(std::move(port), desktop_, clock) {}

Session::~Session() = default;

Failure Session::start() {
  app::wireMainWindow(m_);
  app::loadMainWindow(m_);
  if (m_.ended()) return failure(Fault::Refused, m_.identification);
  return {};
}

Failure Session::usable() const {
  if (m_.ended())
    return failure(Fault::Lost, "the bridge is lost: it answered \"" + m_.identification + "\" instead of \"" +
                                    commands::kExpectedChip + "\"");
  return {};
}

Failure Session::selectBoard(int board) {
  if (Failure f = usable()) return f;
  if (board < 0 || board > m_.stack.CARDSTACK)
    return failure(Fault::OutOfRange, "board " + std::to_string(board + 1) + " is not in the stack of " +
                                          std::to_string(boards()) + (boards() == 1 ? " board" : " boards"));
  if (m_.stack.BRDnumber != board && !app::selectBoard(m_, board))
    return failure(Fault::Unavailable, "the button of board " + std::to_string(board + 1) + " cannot be clicked");
  return {};
}

Failure Session::afterStep() const {
  // What the routines told in boxes is not kept: the returned reason says it.
  messages_.str("");
  return usable();
}

void Session::settle() const {
  if (options_.settleMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(options_.settleMs));
}

Failure Session::setBoards(int n) {
  if (Failure f = usable()) return f;
  if (n < 1 || n > state::kBoards) return failure(Fault::OutOfRange, "the stack holds 1 to 10 boards");
  app::chooseBoards(m_, n);
  return afterStep();
}

int Session::address(int board) const {
  if (board < 0 || board >= state::kBoards) return 0;
  return hexValue(m_.stack.board[board].BRDaddress);
}

Failure Session::setAddress(int board, int address) {
  if (address < kLowestAddress || address > kHighestAddress)
    return failure(Fault::OutOfRange, "a board's address is 0x80 to 0x8F");
  if (Failure f = selectBoard(board)) return f;
  app::chooseAddress(m_, address - kLowestAddress);
  return afterStep();
}

void Session::setPecMatchOnly(bool on) { app::setPecMatchOnly(m_, on); }

bool Session::broadcast(int command) const {
  if (command < 0 || command >= state::kBroadcastables) return false;
  return m_.ui.Check5[command].value() != 0;
}

Failure Session::setBroadcast(int command, bool on) {
  if (Failure f = usable()) return f;
  if (command < 0 || command >= state::kBroadcastables)
    return failure(Fault::OutOfRange, "the broadcast choices are 0 to 5");
  app::setBroadcast(m_, command, on);
  return {};
}

Failure Session::prepared(int board, PreparedConfig& out) {
  if (board < 0 || board > m_.stack.CARDSTACK)
    return failure(Fault::OutOfRange, "board " + std::to_string(board + 1) + " is not in the stack");
  const state::BoardRecord& r = m_.stack.board[board];
  for (int k = 0; k < 6; ++k) out.registers[k] = hexValue(r.CFGRset[k]);
  const int cfgr0 = out.registers[0];
  out.cdc = r.CDCmode;
  out.cell10 = (cfgr0 >> 3) & 1;
  out.lvlpl = (cfgr0 >> 4) & 1;
  out.gpio1 = (cfgr0 >> 5) & 1;
  out.gpio2 = (cfgr0 >> 6) & 1;
  const std::uint32_t dcc = static_cast<std::uint32_t>(out.registers[1]) | ((out.registers[2] & 0x0F) << 8);
  const std::uint32_t mci = static_cast<std::uint32_t>(out.registers[2] >> 4) | (out.registers[3] << 4);
  out.discharge = static_cast<std::uint16_t>(dcc);
  out.mask = static_cast<std::uint16_t>(mci);
  out.vuv = r.VUVcode * kVoltsPerThresholdCode;
  out.vov = r.VOVcode * kVoltsPerThresholdCode;
  return {};
}

Failure Session::setCdc(int board, int mode) {
  if (mode < 0 || mode > 7) return failure(Fault::OutOfRange, "the comparator duty cycle is 0 to 7");
  if (Failure f = selectBoard(board)) return f;
  app::chooseCdc(m_, mode);
  return afterStep();
}

Failure Session::setConfigFlag(int board, ConfigFlag flag, bool on) {
  if (Failure f = selectBoard(board)) return f;
  switch (flag) {
    case ConfigFlag::Cell10: app::setCell10(m_, on); break;
    case ConfigFlag::Lvlpl: app::setLvlpl(m_, on); break;
    case ConfigFlag::Gpio1: app::setGpio1(m_, on); break;
    case ConfigFlag::Gpio2: app::setGpio2(m_, on); break;
  }
  return afterStep();
}

Failure Session::setDischarge(int board, std::uint16_t cells) {
  if (cells >> 12) return failure(Fault::OutOfRange, "cells are numbered 1 to 12");
  if (Failure f = selectBoard(board)) return f;
  for (int c = 1; c <= 12; ++c) app::setDischarge(m_, c, (cells >> (c - 1)) & 1u);
  return afterStep();
}

Failure Session::setMask(int board, std::uint16_t cells) {
  if (cells >> 12) return failure(Fault::OutOfRange, "cells are numbered 1 to 12");
  if (Failure f = selectBoard(board)) return f;
  for (int c = 1; c <= 12; ++c) app::setMask(m_, c, (cells >> (c - 1)) & 1u);
  return afterStep();
}

Failure Session::setThresholds(int board, std::optional<double> vuv, std::optional<double> vov) {
  if (Failure f = selectBoard(board)) return f;
  const state::BoardRecord& r = m_.stack.board[board];
  const float u = vuv ? static_cast<float>(*vuv) : r.VUVcode * kVoltsPerThresholdCode;
  const float o = vov ? static_cast<float>(*vov) : r.VOVcode * kVoltsPerThresholdCode;
  if (const char* fault = config::thresholdPairFault(u, o)) return failure(Fault::OutOfRange, fault);
  app::chooseThresholdScope(m_, false);
  app::enterThresholds(m_, u, o);
  if (Failure f = afterStep()) return f;
  return thresholdsKept(board, board, u, o);
}

Failure Session::setAllThresholds(double vuv, double vov) {
  if (Failure f = usable()) return f;
  const float u = static_cast<float>(vuv), o = static_cast<float>(vov);
  if (const char* fault = config::thresholdPairFault(u, o)) return failure(Fault::OutOfRange, fault);
  app::chooseThresholdScope(m_, true);
  app::enterThresholds(m_, u, o);
  if (Failure f = afterStep()) return f;
  return thresholdsKept(0, m_.stack.CARDSTACK, u, o);
}

Failure Session::thresholdsKept(int firstBoard, int lastBoard, float vuv, float vov) const {
  const int uv = config::thresholdCode(vuv), ov = config::thresholdCode(vov);
  for (int b = firstBoard; b <= lastBoard && b < state::kBoards; ++b)
    if (m_.stack.board[b].VUVcode != uv || m_.stack.board[b].VOVcode != ov)
      return failure(Fault::NotTaken, "the threshold boxes of board " + std::to_string(b + 1) + " did not keep VUV " +
                                          app::thresholdText(vuv) + " V and VOV " + app::thresholdText(vov) + " V");
  return {};
}

Failure Session::writeConfig(int board, bool broadcast) {
  if (Failure f = selectBoard(board)) return f;
  app::setBroadcast(m_, kWriteConfigCommand, broadcast);
  if (!app::writeConfig(m_)) return failure(Fault::Unavailable, "WRITE CONFIG cannot be clicked now");
  return afterStep();
}

Failure Session::readWithRetries(int board, ReadCommand c, void (*read)(context::Monitor&)) {
  state::BoardStack& s = m_.stack;
  // As a step of the cycle reads: retried as "PEC Match Only" says.
  s.SINGLESHOTflag = 0;
  s.AUTORESTARTflag = pecMatchOnly() ? 1 : 0;
  s.MEASURESKIPflag = 0;
  read(m_);
  if (Failure f = afterStep()) return f;
  if (s.MEASURESKIPflag == 1) return gaveUp(board, c);
  // Taken as it came: a reply of silence may mean the bridge has gone,
  // which the window would find at its next heartbeat.
  if (!pecMatchOnly() && m_.link.lastReceived(c) == 0 && !commands::bridgeStillThere(m_)) return usable();
  return {};
}

Failure Session::gaveUp(int board, ReadCommand c) const {
  Failure f = failure(Fault::PecGaveUp, commands::giveUpMessage(c));
  f.board = board;
  f.command = commandName(c);
  f.received = m_.stack.board[board].PECrx[state::index(c)];
  f.computed = m_.stack.board[board].PECcalc[state::index(c)];
  f.attempts = commands::kMaxReadAttempts;
  return f;
}

Failure Session::readConfig(int board, ConfigReading& out) {
  if (Failure f = selectBoard(board)) return f;
  if (Failure f = readWithRetries(board, ReadCommand::RDCFG, &commands::RDCFG_ADDRESSABLE_PEC)) return f;
  commands::Compare_CFGR(m_);  // as the READ CONFIG button shows it
  const state::BoardRecord& r = m_.stack.board[board];
  out.board = board;
  out.matchesPrepared = true;
  for (int k = 0; k < 6; ++k) {
    out.registers[k] = hexValue(r.CFGRread[k]);
    out.matchesPrepared = out.matchesPrepared && out.registers[k] == hexValue(r.CFGRset[k]);
  }
  out.vuv = out.registers[4] * kVoltsPerThresholdCode;
  out.vov = out.registers[5] * kVoltsPerThresholdCode;
  out.pec = pecOf(m_, board, ReadCommand::RDCFG);
  return {};
}

Failure Session::readCells(int board, bool start, CellsReading& out) {
  if (Failure f = selectBoard(board)) return f;
  if (start) {
    commands::STCVAD_BROADCAST(m_);
    settle();
  }
  if (Failure f = readWithRetries(board, ReadCommand::RDCV, &commands::RDCV_ADDRESSABLE_PEC)) return f;
  cellsOf(board, out);
  return {};
}

void Session::cellsOf(int board, CellsReading& out) const {
  out.board = board;
  for (int c = 1; c <= 12; ++c) {
    const int n = state::cellReading(board, c);
    out.volts[c - 1] = m_.stack.READINGvolts[n];
    out.codes[c - 1] = commands::readingCode(m_.stack.READINGhex[n]);
  }
  out.pec = pecOf(m_, board, ReadCommand::RDCV);
}

Failure Session::readTemps(int board, bool start, TempsReading& out) {
  if (Failure f = selectBoard(board)) return f;
  if (start) {
    commands::STTMPAD_BROADCAST(m_);
    settle();
  }
  if (Failure f = readWithRetries(board, ReadCommand::RDTMP, &commands::RDTMP_ADDRESSABLE_PEC)) return f;
  tempsOf(board, out);
  return {};
}

void Session::tempsOf(int board, TempsReading& out) const {
  out.board = board;
  double* volts[] = {&out.etmp1, &out.etmp2, &out.itmp};
  for (int t = 0; t < 3; ++t) {
    const int n = state::temperatureReading(board, t);
    *volts[t] = m_.stack.READINGvolts[n];
    out.codes[t] = commands::readingCode(m_.stack.READINGhex[n]);
  }
  out.pec = pecOf(m_, board, ReadCommand::RDTMP);
}

Failure Session::readFlags(int board, FlagsReading& out) {
  if (Failure f = selectBoard(board)) return f;
  if (Failure f = readWithRetries(board, ReadCommand::RDFLG, &commands::RDFLG_ADDRESSABLE_PEC)) return f;
  // As the READ FLAG button: the flags go into the cells' statuses.
  display::SET_CELLstatus(m_);
  display::DISPLAY_CELLstatus(m_);
  flagsOf(board, out);
  return {};
}

void Session::flagsOf(int board, FlagsReading& out) const {
  out.board = board;
  out.uv = out.ov = 0;
  for (int k = 0; k < 3; ++k) {
    const int byte = hexValue(m_.stack.board[board].FLGRread[k]);
    out.raw[k] = byte;
    // Bit 2j flags cell 4k + j + 1 under-voltage, bit 2j + 1 over-voltage.
    for (int j = 0; j < 4; ++j) {
      const int cellBit = 4 * k + j;
      if ((byte >> (2 * j)) & 1) out.uv = static_cast<std::uint16_t>(out.uv | (1u << cellBit));
      if ((byte >> (2 * j + 1)) & 1) out.ov = static_cast<std::uint16_t>(out.ov | (1u << cellBit));
    }
  }
  out.pec = pecOf(m_, board, ReadCommand::RDFLG);
}

Failure Session::start(int board, Start what) {
  if (Failure f = selectBoard(board)) return f;
  bool pressed = false;
  switch (what) {
    case Start::Cells: pressed = app::startCells(m_); break;
    case Start::OpenWire: pressed = app::startOpenWire(m_); break;
    case Start::Temps: pressed = app::startTemps(m_); break;
    case Start::PollAdc: pressed = app::pollAdc(m_); break;
    case Start::PollInt: pressed = app::pollInt(m_); break;
  }
  if (!pressed) return failure(Fault::Unavailable, "the button cannot be clicked now");
  return afterStep();
}

Failure Session::statuses(int board, std::array<std::string, 12>& out) {
  if (board < 0 || board > m_.stack.CARDSTACK)
    return failure(Fault::OutOfRange, "board " + std::to_string(board + 1) + " is not in the stack");
  for (int c = 1; c <= 12; ++c)
    out[c - 1] = display::cellStatusCode(m_.stack.CELLstatus[state::statusIndex(board, c)]).shortName;
  return {};
}

Failure Session::readAll(std::vector<BoardSnapshot>& out) {
  out.clear();
  if (Failure f = usable()) return f;
  measure::FastPassOptions o;
  o.settle = std::chrono::milliseconds(options_.settleMs);
  const measure::FastPassResult r = measure::fastPass(m_, o);
  if (Failure f = afterStep()) return f;
  if (r.end == measure::FastPassEnd::GaveUp) return gaveUp(r.board, r.command);
  for (int b = 0; b <= m_.stack.CARDSTACK; ++b) {
    BoardSnapshot snap;
    snap.board = b;
    snap.address = m_.stack.board[b].BRDaddress;
    cellsOf(b, snap.cells);
    tempsOf(b, snap.temps);
    flagsOf(b, snap.flags);
    if (Failure f = statuses(b, snap.statuses)) return f;
    out.push_back(std::move(snap));
  }
  return {};
}

Failure Session::writeStackConfig(const config::StackConfig& c) {
  if (Failure f = usable()) return f;
  const std::string notTaken = writeConfigToStack(m_, c);
  if (Failure f = afterStep()) return f;
  if (!notTaken.empty()) return failure(Fault::NotTaken, notTaken);
  return {};
}

Failure Session::createDatalog(const std::string& workbook, const std::string& seconds) {
  if (Failure f = usable()) return f;
  if (!createSetup(m_, desktop_, workbook, seconds))
    return failure(Fault::NotTaken, "the datalog set-up for " + workbook + " was not accepted");
  return afterStep();
}

void Session::timerTick() { app::timerTick(m_); }

measure::FastPassResult Session::fastPass(const measure::FastPassOptions& options) {
  return measure::fastPass(m_, options);
}

void Session::restartDatalog() { app::restartCollection(m_); }

Failure Session::exportDatalog() {
  const int shownBefore = desktop_.messagesShown();
  app::exportRing(m_);
  // A workbook that cannot be written is told in a message as it fails.
  if (desktop_.messagesShown() != shownBefore) return failure(Fault::Io, desktop_.lastMessage());
  return {};
}

}  // namespace kestrav::headless
