#include "headless/UserSteps.h"

#include "config/Thresholds.h"
#include "measure/Dispatcher.h"

namespace kestrav::headless {

namespace {

constexpr int kKeyEnter = 13;
constexpr int kWriteConfigButton = 5;
constexpr int kStartPauseButton = 11;
constexpr int kViewButton = 13;
constexpr int kGlobalOption = 1;
constexpr int kWriteBroadcastBox = 5;  // Check5(5): WRCFG to every chip at once
constexpr int kVuvBox = 0, kVovBox = 1;

// Focus, keys one by one as the box's key filter lets them in, then Enter.
void typeInto(context::Monitor& m, context::Control& box, const std::string& text) {
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

}  // namespace

void chooseBoards(context::Monitor& m, int boards) { m.ui.Combo1.setListIndex(boards - 1); }

bool writeThresholds(context::Monitor& m, const std::string& vuv, const std::string& vov) {
  m.ui.Option1[kGlobalOption].setValue(1);
  typeInto(m, m.ui.Text2[kVovBox], vov);
  typeInto(m, m.ui.Text2[kVuvBox], vuv);
  // A box that refused its value kept the code before: the chips would get
  // a pair nobody asked for.
  const int uvCode = config::thresholdCode(config::leadingNumber(vuv));
  const int ovCode = config::thresholdCode(config::leadingNumber(vov));
  for (int b = 0; b <= m.stack.CARDSTACK && b < state::kBoards; ++b)
    if (m.stack.board[b].VUVcode != uvCode || m.stack.board[b].VOVcode != ovCode) return false;
  // An addressed write would reach the selected board only.
  m.ui.Check5[kWriteBroadcastBox].setValue(1);
  m.ui.Command1[kWriteConfigButton].raiseClick();
  return true;
}

bool createSetup(context::Monitor& m, HeadlessDesktop& desktop, const std::string& workbook,
                 const std::string& seconds) {
  desktop.answerSetup(workbook, seconds);
  m.ui.mnuCreateNewSetup.raiseClick();
  desktop.endSetup();
  return !m.ended() && m.datalog.DATACOLLECTflag == 1 && m.stack.OnOff == 1;
}

void restartCollection(context::Monitor& m) { m.ui.Command1[kStartPauseButton].raiseClick(); }

void exportRing(context::Monitor& m) { measure::Command1_click(m, kViewButton); }

}  // namespace kestrav::headless
