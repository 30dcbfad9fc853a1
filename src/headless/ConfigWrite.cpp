#include "headless/ConfigWrite.h"

#include "app/StackConfigSteps.h"
#include "app/UserSteps.h"
#include "state/HexText.h"

namespace kestrav::headless {

namespace {

constexpr int kWrcfg = state::index(state::Broadcastable::WRCFG);
constexpr int kReadAttempts = 10;

std::string bytesText(const config::Registers& r) {
  std::string s;
  for (std::uint8_t b : r) s += (s.empty() ? "" : " ") + state::hexByte(b);
  return s;
}

bool replyPassedPec(const context::Monitor& m) {
  // Every read fills the PEC tables of all boards with its reply's.
  const int c = state::index(state::ReadCommand::RDCFG);
  return m.stack.board[0].PECrx[c] == m.stack.board[0].PECcalc[c];
}

// READ CONFIG for the selected board until its reply passes the PEC
// check; the registers read, or nothing.
std::optional<config::Registers> readBack(context::Monitor& m) {
  for (int attempt = 0; attempt < kReadAttempts && !m.ended(); ++attempt) {
    app::readConfig(m);
    if (m.ended() || !replyPassedPec(m)) continue;
    config::Registers r{};
    const state::BoardRecord& b = m.stack.board[m.stack.BRDnumber];
    for (std::size_t k = 0; k < r.size(); ++k) r[k] = static_cast<std::uint8_t>(state::leadingHexValue(b.CFGRread[k]));
    return r;
  }
  return std::nullopt;
}

std::string boardName(const context::Monitor& m, int b) {
  return "board " + std::to_string(b + 1) + " at 0x" + m.stack.board[b].BRDaddress;
}

}  // namespace

std::string writeConfigToStack(context::Monitor& m, const config::StackConfig& c) {
  app::applyStackConfig(m, c);
  const int selected = m.stack.BRDnumber;
  app::chooseThresholdScope(m, false);
  app::setBroadcast(m, kWrcfg, false);
  for (int b = 0; b < c.boards && !m.ended(); ++b) {
    app::selectBoard(m, b);
    app::writeConfig(m);
  }
  std::string failure;
  for (int b = 0; b < c.boards && failure.empty() && !m.ended(); ++b) {
    app::selectBoard(m, b);
    const config::Registers written = config::preparedRegisters(m, b);
    const std::optional<config::Registers> read = readBack(m);
    if (m.ended()) break;
    if (!read)
      failure = boardName(m, b) + ": the configuration read back failed its PEC check " +
                std::to_string(kReadAttempts) + " times";
    else if (*read != written)
      failure = boardName(m, b) + " did not take the configuration: wrote " + bytesText(written) +
                ", read back " + bytesText(*read);
  }
  if (m.ended()) return "the bridge was lost while writing the configuration";
  app::setBroadcast(m, kWrcfg, c.broadcast[kWrcfg]);
  app::chooseThresholdScope(m, c.globalThresholds);
  app::selectBoard(m, selected);
  return failure;
}

}  // namespace kestrav::headless
