#include "app/StackConfigSteps.h"

#include "config/StackConfigFile.h"
#include "state/ConfigBits.h"
#include "state/HexText.h"

namespace kestrav::app {

namespace {

constexpr int kKeyEnter = 13;
constexpr int kVuvBox = 0, kVovBox = 1;
constexpr int kVuvDownArrow = 0;
constexpr int kPerBoardOption = 0, kGlobalOption = 1;
constexpr int kCdcUpArrow = 1;

// --- The user's steps on the window model ---------------------------------

void chooseBoards(Monitor& m, int boards) { m.ui.Combo1.setListIndex(boards - 1); }

void selectBoard(Monitor& m, int index) { m.ui.Command4[index].raiseClick(); }

// The low digit of "80".."8F" in Combo2, for the selected board.
void chooseAddress(Monitor& m, const std::string& address) {
  const int digit = state::leadingHexValue(address) - 0x80;
  if (digit != m.ui.Combo2.listIndex()) m.ui.Combo2.setListIndex(digit);
}

template <std::size_t N>
void setBoxes(std::array<context::Control, N>& row, int value) {
  for (std::size_t i = 0; i < N; ++i) row[i].setValue((value >> i) & 1);
}

// The arrow steps the duty cycle (and its description) up to `cdc`.
void stepDutyCycle(Monitor& m, int cdc) {
  for (int steps = 0; steps < 8 && m.stack.board[m.stack.BRDnumber].CDCmode != cdc; ++steps)
    m.ui.Command0[kCdcUpArrow].raiseClick();
}

// Focus, the keys one by one as the box's key filter lets them in, then
// Enter, which moves the focus on and so applies the value.
void typeInto(Monitor& m, context::Control& box, const std::string& text) {
  m.ui.setFocus(box);
  for (const char ch : text) {
    const int key = box.raiseKeyPress(static_cast<unsigned char>(ch));
    if (key < 32 || key > 126) continue;  // swallowed
    std::string typed = box.text();
    std::size_t caret = static_cast<std::size_t>(box.selStart() < 0 ? 0 : box.selStart());
    if (caret > typed.size()) caret = typed.size();
    typed.insert(caret, 1, static_cast<char>(key));
    box.takeUserText(typed);
    box.setSelStart(static_cast<int>(caret + 1));
  }
  box.raiseKeyPress(kKeyEnter);
}

// The selected board's pair, typed in an order the boxes accept: the boxes
// compare each typed value with the other box's, so VOV goes first when it
// clears the VUV already stored, else VUV first. A stored pair that is out
// of order (the arrows step either code anywhere) has its VUV stepped down
// with the arrow until the new VOV clears it.
void typeThresholds(Monitor& m, int vuvCode, int vovCode) {
  const state::BoardRecord& r = m.stack.board[m.stack.BRDnumber];
  const bool vuvFirst = r.VUVcode >= vovCode && vuvCode < r.VOVcode;
  if (!vuvFirst)
    while (r.VUVcode >= vovCode) m.ui.Command2[kVuvDownArrow].raiseClick();
  if (vuvFirst) typeInto(m, m.ui.Text2[kVuvBox], config::thresholdText(vuvCode));
  typeInto(m, m.ui.Text2[kVovBox], config::thresholdText(vovCode));
  if (!vuvFirst) typeInto(m, m.ui.Text2[kVuvBox], config::thresholdText(vuvCode));
}

void prepareSelectedBoard(Monitor& m, const config::BoardConfig& b) {
  const config::Registers r = config::packRegisters(b);
  stepDutyCycle(m, b.cdc);
  setBoxes(m.ui.Check1, r[1]);
  setBoxes(m.ui.Check2, r[2]);
  setBoxes(m.ui.Check3, r[3]);
  // CFGR0 last: ten-cell mode hides the boxes of cells 11 and 12, which a
  // user sets before choosing it.
  setBoxes(m.ui.Check0, r[0]);
  typeThresholds(m, b.vuvCode, b.vovCode);
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
  for (int i = 0; i < state::kBroadcastables; ++i) m.ui.Check5[i].setValue(c.broadcast[i] ? 1 : 0);
  m.ui.Option1[kPerBoardOption].setValue(1);
  for (int b = 0; b < state::kBoards; ++b) {
    selectBoard(m, b);
    chooseAddress(m, c.addresses[b]);
    if (b < c.boards) prepareSelectedBoard(m, c.board[b]);
  }
  m.ui.Option1[c.globalThresholds ? kGlobalOption : kPerBoardOption].setValue(1);
  m.ui.Check_AUTO.setValue(c.pecMatchOnly ? 1 : 0);
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
