#include "app/StackConfigSteps.h"

#include "app/UserSteps.h"
#include "config/StackConfigFile.h"
#include "state/HexText.h"

namespace kestrav::app {

namespace {

constexpr int kVuvDownArrow = 0;

// The selected board's pair, typed in an order the boxes accept. A kept
// pair that is out of order (the arrows step either code anywhere) can
// refuse both orders: its VUV is first stepped down with the arrow until
// the new VOV clears it.
void enterPair(Monitor& m, int vuvCode, int vovCode) {
  const state::BoardRecord& r = m.stack.board[m.stack.BRDnumber];
  if (r.VUVcode >= vovCode && vuvCode >= r.VOVcode)
    while (r.VUVcode >= vovCode) m.ui.Command2[kVuvDownArrow].raiseClick();
  typeThresholds(m, config::thresholdText(vuvCode), config::thresholdText(vovCode));
}

void prepareSelectedBoard(Monitor& m, const config::BoardConfig& b) {
  const config::Registers r = config::packRegisters(b);
  chooseCdc(m, b.cdc);
  // CFGR0 last: ten-cell mode hides the boxes of cells 11 and 12, which a
  // user sets before choosing it.
  for (int reg : {1, 2, 3, 0})
    for (int bit = 0; bit < 8; ++bit) setConfigBox(m, reg, bit, ((r[reg] >> bit) & 1) != 0);
  enterPair(m, b.vuvCode, b.vovCode);
}

void complain(Monitor& m, const std::string& text) {
  m.desktop.messageBox(text, context::kDefaultMessageTitle, context::MessageButtons::OK,
                       context::MessageIcon::Exclamation, context::MessageAnswer::OK);
}

}  // namespace

void applyStackConfig(Monitor& m, const config::StackConfig& c) {
  const int selected = m.stack.BRDnumber;
  // Every board button, to reach every address.
  chooseBoards(m, state::kBoards);
  // The broadcast boxes carry over to each board selected from here on.
  for (int i = 0; i < state::kBroadcastables; ++i) setBroadcast(m, i, c.broadcast[i]);
  chooseThresholdScope(m, false);
  for (int b = 0; b < state::kBoards; ++b) {
    selectBoard(m, b);
    const int digit = state::leadingHexValue(c.addresses[b]) - 0x80;
    if (digit != m.ui.Combo2.listIndex()) chooseAddress(m, digit);
    if (b < c.boards) prepareSelectedBoard(m, c.board[b]);
  }
  chooseThresholdScope(m, c.globalThresholds);
  setPecMatchOnly(m, c.pecMatchOnly);
  chooseBoards(m, c.boards);
  selectBoard(m, selected < c.boards ? selected : c.boards - 1);
}

std::string openStackConfig(Monitor& m, const std::string& path) {
  const config::StackConfigFileResult read = config::readStackConfigFile(path);
  if (!read.ok()) return read.error;
  applyStackConfig(m, *read.config);
  return {};
}

std::string saveStackConfig(const Monitor& m, const std::string& path) {
  return config::writeStackConfigFile(path, config::preparedStackConfig(m)).error;
}

std::string preparedStackConfigJson(const Monitor& m) {
  return config::stackConfigJson(config::preparedStackConfig(m));
}

std::string applyStackConfigJson(Monitor& m, const std::string& json) {
  const config::ParsedStackConfig parsed = config::parseStackConfig(json);
  if (!parsed.config) return parsed.fault;
  applyStackConfig(m, *parsed.config);
  return {};
}

void mnuOpenStackConfig_Click(Monitor& m) {
  if (m.ended()) return;
  const std::optional<std::string> path = m.desktop.openFileDialog(config::kStackConfigFilter, "");
  if (!path) return;
  if (const std::string error = openStackConfig(m, *path); !error.empty())
    complain(m, "The stack configuration was not opened; nothing has changed.\n\n" + error);
}

void mnuSaveStackConfig_Click(Monitor& m) {
  if (m.ended()) return;
  const std::optional<std::string> path = m.desktop.saveFileDialog(config::kStackConfigFilter, "");
  if (!path) return;
  if (const std::string error = saveStackConfig(m, *path); !error.empty())
    complain(m, "The stack configuration was not saved.\n\n" + error);
}

}  // namespace kestrav::app
