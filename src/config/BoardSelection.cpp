#include "config/BoardSelection.h"

#include <string>

#include "commands/ReadConfig.h"
#include "config/ConfigRegisters.h"
#include "config/Thresholds.h"
#include "display/CellStatus.h"
#include "display/ReadingDisplays.h"
#include "state/HexText.h"

namespace kestrav::config {

namespace {

std::string boardNumber(int i) { return std::to_string(i + 1); }

// Captions that name the selected board. Board 1's spaced caption ends with
// a blank; board 10 reads "1 0" there and "#10" without a blank elsewhere.
void setBoardLabels(Monitor& m, int i) {
  context::MainWindowModel& ui = m.ui;
  const bool ten = i == 9;
  ui.Label1.setCaption(i == 0 ? "B O A R D # 1 " : ten ? "B O A R D # 1 0" : "B O A R D # " + boardNumber(i));
  ui.Label13[0].setCaption(ten ? "CUSTOM  BOARD #10" : "CUSTOM  BOARD # " + boardNumber(i));
  ui.Label14.setCaption(ten ? "SET/ DISPLAY BOARD#10 AT HEX ADDRESS"
                            : "SET/ DISPLAY BOARD # " + boardNumber(i) + " AT HEX ADDRESS");
  for (context::Control& c : ui.Label18) c.setCaption(ten ? "BOARD#10 ONLY" : "BOARD# " + boardNumber(i) + " ONLY");
  for (context::Control& c : ui.Label19) c.setCaption("BRD#" + boardNumber(i));
}

// "BOARD#   1      2 ..." with the board numbers seven columns apart.
std::string overviewHeading(int boards) {
  std::string s = "BOARD#   1";
  for (int n = 2; n <= boards; ++n) s += n < 10 ? "      " + std::to_string(n) : "     10";
  return s;
}

std::string addressList(const state::BoardStack& s, int boards) {
  std::string out = "ADDRESS ";
  for (int b = 0; b < boards; ++b) out += (b == 0 ? "" : "    ") + s.board[b].BRDaddress;
  return out;
}

void styleBroadcastBox(Monitor& m, int i, bool broadcast) {
  m.ui.Check5[i].setWidth(broadcast ? context::kBroadcastWideWidth : context::kBroadcastNarrowWidth);
  m.ui.Check5[i].setCaption(broadcast ? "BROADCAST" : "B'CAST");
  m.ui.Label19[i].setVisible(!broadcast);
}

}  // namespace

void INITIAL_BRDaddress(Monitor& m) {
  for (int b = 0; b < state::kBoards; ++b) m.stack.board[b].BRDaddress = state::defaultAddress(b);
}

void INITIAL_BROADCASTcmd(Monitor& m) {
  for (int b = 0; b < state::kBoards; ++b) m.stack.board[b].BCASTflag.fill(0);
  UPDATE_Check5(m);
}

void UPDATE_Command4_Caption(Monitor& m) {
  for (int i = 0; i < state::kBoards; ++i) {
    const std::string prefix = i < 9 ? "BRD# " + boardNumber(i) + "    0x" : "BRD#10   0x";
    m.ui.Command4[i].setCaption(prefix + m.stack.board[i].BRDaddress);
  }
}

void Command4_Click(Monitor& m, int i) {
  if (i < 0 || i >= state::kBoards) return;
  state::BoardStack& s = m.stack;
  setBoardLabels(m, i);
  s.BRDnumber = i;
  if (s.OnOff == 0) s.BRDread = i;
  m.ui.Image1.setLeft(context::kOverviewLeft + context::kOverviewColumn * i);
  display::Single_12CELL_Display(m);
  // The broadcast choice on screen carries over to the newly selected board.
  for (int k = 0; k < state::kBroadcastables; ++k) Check5_Click(m, k);
  DISPLAY_HWset(m);
  DISPLAY_CDC(m);
  UPDATE_Check0(m);
  UPDATE_Check1(m);
  UPDATE_Check2(m);
  UPDATE_Check3(m);
  DISPLAY_VUV_VOV(m);
  display::UPDATE_RDFLG_Display(m);
  display::UPDATE_RDTMP_Display(m);
  display::UPDATE_PEC_Display(m);
  commands::Compare_CFGR(m);
  REFRESH_CFGR_FRAME4(m);
  display::DISPLAY_RDCFG(m);
  display::DISPLAY_CELLstatus(m);
  UPDATE_Combo1(m);
}

void Combo1_Click(Monitor& m) {
  state::BoardStack& s = m.stack;
  const int k = m.ui.Combo1.listIndex();
  if (k < 0 || k >= state::kBoards) return;
  s.CARDSTACK = k;
  m.ui.Label12.setCaption(overviewHeading(k + 1));
  m.ui.Label15.setCaption(addressList(s, k + 1));
  m.ui.Label9[1].setLeft(context::kOverviewLegendLeft + context::kOverviewColumn * k);
  for (int b = 0; b < state::kBoards; ++b) {
    const bool inStack = b <= k;
    m.ui.Command4[b].setVisible(inStack);
    for (int c = 0; c < state::kCellsPerBoard; ++c) m.ui.Shape1[b * 12 + c].setVisible(inStack);
    m.ui.Shape12[b].setVisible(inStack);
  }
  if (s.BRDnumber > k) Command4_Click(m, k);
}

void Combo2_Click(Monitor& m) {
  const int k = m.ui.Combo2.listIndex();
  if (k < 0 || k > 15) return;
  m.stack.board[m.stack.BRDnumber].BRDaddress = state::hexByte(0x80 + k);
  UPDATE_Command4_Caption(m);
  Combo1_Click(m);
}

void UPDATE_Combo1(Monitor& m) {
  const std::string& address = m.stack.board[m.stack.BRDnumber].BRDaddress;
  for (int k = 0; k < 16; ++k)
    if (address == state::hexByte(0x80 + k)) {
      m.ui.Combo2.setListIndex(k);
      return;
    }
}

void Check5_Click(Monitor& m, int i) {
  if (i < 0 || i >= state::kBroadcastables) return;
  state::BoardStack& s = m.stack;
  const bool broadcast = m.ui.Check5[i].value() == 1;
  s.board[s.BRDnumber].BCASTflag[i] = broadcast ? 1 : 0;
  styleBroadcastBox(m, i, broadcast);
  // Temperatures are shown only while the cycle's board is the selected one.
  if (!broadcast && i == state::index(state::Broadcastable::STTMPAD)) s.BRDread = s.BRDnumber;
}

void UPDATE_Check5(Monitor& m) {
  const state::BoardRecord& r = m.stack.board[m.stack.BRDnumber];
  for (int i = 0; i < state::kBroadcastables; ++i) {
    m.ui.Check5[i].setValue(r.BCASTflag[i]);
    styleBroadcastBox(m, i, r.BCASTflag[i] == 1);
  }
}

}  // namespace kestrav::config
