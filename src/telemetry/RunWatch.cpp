#include "telemetry/RunWatch.h"

#include <cstdio>

#include "link/CommandStrings.h"

namespace kestrav::telemetry {

namespace {

constexpr int kBoards = 10;

std::string hexByte(int v) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "0x%02X", v & 0xFF);
  return buf;
}

const char* commandName(int pecFlag) {
  switch (pecFlag) {
    case 1: return "RDCFG";
    case 2: return "RDCV";
    case 3: return "RDFLG";
    case 4: return "RDTMP";
    default: return "";
  }
}

std::string whyEnded(int status) {
  if (status == 0) return "closed";
  if (status == context::kExitRefused) return "bridge lost or refused";
  if (status > 128) return std::string("ended by ") + context::signalName(status - 128);
  return "failed";
}

}  // namespace

void RunWatch::attach(context::Monitor& m) {
  next_ = m.readingObserver;
  m.readingObserver = this;
  m.runObserver = this;
}

void RunWatch::cellsRead(context::TimePoint t, int board, const std::array<std::uint16_t, 12>& codes,
                         const context::BoardSettings& settings) {
  if (next_ != nullptr) next_->cellsRead(t, board, codes, settings);
  if (board < 0 || board >= kBoards) return;
  BoardReadings& b = boards_[static_cast<std::size_t>(board)];
  b.time = t;
  b.cellCodes = codes;
  b.tenCells = settings.tenCells;
}

void RunWatch::temperaturesRead(context::TimePoint t, int board, const std::array<std::uint16_t, 3>& codes) {
  if (next_ != nullptr) next_->temperaturesRead(t, board, codes);
  if (board < 0 || board >= kBoards) return;
  BoardReadings& b = boards_[static_cast<std::size_t>(board)];
  b.time = t;
  b.temperatureCodes = codes;
}

void RunWatch::flagsRead(context::TimePoint t, int board, const std::array<std::uint8_t, 3>& flags) {
  if (next_ != nullptr) next_->flagsRead(t, board, flags);
}

void RunWatch::statusesShown(context::TimePoint t, int boards, std::span<const int> statuses) {
  if (next_ != nullptr) next_->statusesShown(t, boards, statuses);
  for (int b = 0; b < boards && b < kBoards && b < static_cast<int>(described_.addresses.size()); ++b) {
    BoardReadings& r = boards_[static_cast<std::size_t>(b)];
    if (r.time == context::TimePoint{}) continue;  // no cells read yet
    for (int c = 0; c < 12 && static_cast<std::size_t>(b * 12 + c) < statuses.size(); ++c)
      r.statuses[static_cast<std::size_t>(c)] = statuses[static_cast<std::size_t>(b * 12 + c)];
    r.board = b + 1;
    r.address = described_.addresses[static_cast<std::size_t>(b)];
    publisher_.boardReadings(r);
  }
}

void RunWatch::sampleJournaled(const std::string& journalPath, int boards, const std::vector<std::string>& fields) {
  publisher_.sample(journalPath, boards, fields);
}

void RunWatch::describeWhenChanged(const context::Monitor& m) {
  if (m.identification.empty()) return;
  StackDescription now;
  now.program = described_.program;
  const int boards = std::min(m.stack.CARDSTACK, kBoards - 1) + 1;
  for (int b = 0; b < boards; ++b) {
    now.addresses.push_back(addressText(m.stack.board[static_cast<std::size_t>(b)].BRDaddress));
    now.cellsPerBoard.push_back(boards_[static_cast<std::size_t>(b)].tenCells ? 10 : 12);
  }
  if (now.addresses == described_.addresses && now.cellsPerBoard == described_.cellsPerBoard) return;
  described_ = now;
  publisher_.describe(now);
}

void RunWatch::handlerReturned(const context::Monitor& m) {
  describeWhenChanged(m);
  const RunState now{m.datalog.DATACOLLECTflag == 1, m.stack.OnOff == 1, m.stack.MEASURESKIPflag == 1,
                     link::readTargetBoard(m.stack)};
  if (before_) {
    const RunState& was = *before_;
    if (now.skipped && !was.skipped) {
      // The read that gave up went to the board the cycle was on.
      const int board = was.running ? m.stack.BRDread : now.boardRead;
      const int c = m.stack.PECflag - 1;
      nlohmann::json detail = {{"command", commandName(m.stack.PECflag)}, {"board", board + 1}};
      if (c >= 0 && c < state::kReadCommands && board >= 0 && board < kBoards) {
        const state::BoardRecord& r = m.stack.board[static_cast<std::size_t>(board)];
        detail["address"] = addressText(r.BRDaddress);
        detail["received_pec"] = hexByte(r.PECrx[static_cast<std::size_t>(c)]);
        detail["computed_pec"] = hexByte(r.PECcalc[static_cast<std::size_t>(c)]);
      }
      publisher_.event("give-up", detail);
    }
    if (now.setUp && !was.setUp)
      publisher_.event("datalog-started", {{"workbook", m.datalog.NewFile}, {"sample_points", m.datalog.SETpoint}});
    else if (!now.setUp && was.setUp)
      publisher_.event("datalog-stopped", {{"workbook", m.datalog.NewFile}, {"saved", m.datalog.LastDATAlog}});
    else if (now.setUp && was.running && !now.running && !(now.skipped && !was.skipped))
      publisher_.event("datalog-paused", nlohmann::json::object());
    else if (now.setUp && !was.running && now.running)
      publisher_.event("datalog-resumed", nlohmann::json::object());
  }
  before_ = now;
}

void RunWatch::ended(const context::Monitor& m) {
  if (m.exitStatus() == context::kExitRefused) publisher_.event("bridge-lost", {{"identification", m.identification}});
  finish(whyEnded(m.exitStatus()), m.exitStatus());
}

void RunWatch::finish(const std::string& why, int status) {
  if (finished_) return;
  finished_ = true;
  publisher_.finish(why, status);
}

}  // namespace kestrav::telemetry
