#include "headless/ConfigWrite.h"

#include "app/StackConfigSteps.h"
#include "state/HexText.h"

namespace kestrav::headless {

namespace {

constexpr int kWriteConfigButton = 5;
constexpr int kReadConfigButton = 6;
constexpr int kPerBoardOption = 0, kGlobalOption = 1;
constexpr int kWriteBroadcastBox = 5;  // Check5(5): WRCFG to every chip at once
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
    m.ui.Command1[kReadConfigButton].raiseClick();
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
  context::MainWindowModel& ui = m.ui;
  app::applyStackConfig(m, c);
  const int selected = m.stack.BRDnumber;
  ui.Option1[kPerBoardOption].setValue(1);
  ui.Check5[kWriteBroadcastBox].setValue(0);
  for (int b = 0; b < c.boards && !m.ended(); ++b) {
    ui.Command4[b].raiseClick();
    ui.Command1[kWriteConfigButton].raiseClick();
  }
  std::string failure;
  for (int b = 0; b < c.boards && failure.empty() && !m.ended(); ++b) {
    ui.Command4[b].raiseClick();
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
  ui.Check5[kWriteBroadcastBox].setValue(c.broadcast[state::index(state::Broadcastable::WRCFG)] ? 1 : 0);
  ui.Option1[c.globalThresholds ? kGlobalOption : kPerBoardOption].setValue(1);
  ui.Command4[selected].raiseClick();
  return failure;
}

}  // namespace kestrav::headless
