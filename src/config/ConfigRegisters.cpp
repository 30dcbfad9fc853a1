#include "config/ConfigRegisters.h"

#include <array>
#include <string>

#include "state/HexText.h"

namespace kestrav::config {

namespace {

using Row = std::array<context::Control, 8>;

// The comparator duty cycle descriptions, laid out to sit under the columns
// of the heading Label4: comparator period, VREF powered down between
// measurements, comparator and cell measurement time. Each mode shows two
// rows run together; the pipes and blanks are the table's ruling.
constexpr const char* kBlankRowA =
    "|                                     |                                       |                                          |  ";
constexpr const char* kBlankRowB =
    "|                                      |                                       |                                         |  ";
constexpr const char* kBlankRowC =
    "|                                       |                                       |                                        |  ";
constexpr const char* kBlankRowD =
    "|                                     |                                        |                                         |  ";

struct DutyCycleText {
  const char* row1;
  const char* row2;
};

constexpr std::array<DutyCycleText, 8> kDutyCycleTexts{{
    {"|     Comparator Off     |                 Yes                |                   N/A                  | ",
     "|      Standby Mode      |                                        |                                           |  "},
    {"|     Comparator Off    |                 No                  |                   12mS                | ",
     "|      Monitor Mode       |                                       |           (Cell Voltage)           |  "},
    {"|              12mS              |                 No                  |                   12mS              | ",
     kBlankRowA},
    {"|             130mS              |                 No                  |                   12mS             | ",
     kBlankRowB},
    {"|              500mS              |                 No                  |                   12mS            | ",
     kBlankRowC},
    {"|             130mS             |                  No                  |                   20mS             | ",
     kBlankRowD},
    {"|              500mS            |                 No                  |                   20mS              | ",
     kBlankRowA},
    {"|            2000mS            |                 No                  |                   20mS              | ",
     kBlankRowA},
}};

// Cells 11 and 12: the ones a 10-cell board has no input for.
constexpr std::array<int, 2> kUpperCells{10, 11};

int rowValue(const Row& row) {
  int v = 0;
  for (int i = 0; i < 8; ++i) v |= (row[i].value() == 1 ? 1 : 0) << i;
  return v;
}

// Each box that changes raises its click, which rebuilds the register from
// the whole row; once the last box is set the row and the register agree.
void setRow(Row& row, int value) {
  for (int i = 0; i < 8; ++i) row[i].setValue((value >> i) & 1);
}

std::string& cfgr(Monitor& m, int k) { return m.stack.board[m.stack.BRDnumber].CFGRset[k]; }

void rebuildRegister(Monitor& m, const Row& row, int k) {
  cfgr(m, k) = state::hexByte(rowValue(row));
  REFRESH_CFGR_FRAME4(m);
}

void showUpperCells(Monitor& m, bool shown) {
  context::MainWindowModel& ui = m.ui;
  for (int i : kUpperCells) {
    for (auto* a : {&ui.Shape2, &ui.Shape4, &ui.Shape5, &ui.Text1, &ui.Line7, &ui.Line9, &ui.Line10})
      (*a)[i].setVisible(shown);
    ui.Frame1[i].setCaption(shown ? "CELL" + std::to_string(i + 1) : "");
  }
  // Their discharge and mask bits would reach no cell.
  for (context::Control* box : {&ui.Check2[2], &ui.Check2[3], &ui.Check3[6], &ui.Check3[7]}) box->setVisible(shown);
}

}  // namespace

void Command0_Click(Monitor& m, int index) {
  int& mode = m.stack.board[m.stack.BRDnumber].CDCmode;
  if (index == 0)
    mode = mode == 0 ? 7 : mode - 1;
  else if (index == 1)
    mode = mode == 7 ? 0 : mode + 1;
  else
    return;
  DISPLAY_CDC(m);
}

void DISPLAY_CDC(Monitor& m) {
  context::MainWindowModel& ui = m.ui;
  const state::BoardRecord& r = m.stack.board[m.stack.BRDnumber];
  const int mode = r.CDCmode & 7;
  ui.Text3.setText(std::string(kDutyCycleTexts[mode].row1) + kDutyCycleTexts[mode].row2);

  // Setting a CDC box rebuilds CFGR0 from the whole row, so the row must
  // show this board's register first: after a board change (or at start-up)
  // it may still show another board's level-poll, GPIO and 10-cell bits,
  // which would otherwise be copied into this board's register.
  setRow(ui.Check0, state::leadingHexValue(r.CFGRset[0]));
  ui.Check0[2].setValue((mode >> 2) & 1);
  ui.Check0[1].setValue((mode >> 1) & 1);
  ui.Check0[0].setValue(mode & 1);

  ui.Text3.setForeColor(context::kGrey);
  REFRESH_CFGR_FRAME4(m);
}

void Check0_Click(Monitor& m, int) {
  // Nibbles computed here rather than stored: only the register text is
  // read anywhere else.
  const int v = rowValue(m.ui.Check0);
  cfgr(m, 0) = state::hexByte(v);
  DISPLAY_HWset(m);
}

void Check1_Click(Monitor& m, int) { rebuildRegister(m, m.ui.Check1, 1); }
void Check2_Click(Monitor& m, int) { rebuildRegister(m, m.ui.Check2, 2); }
void Check3_Click(Monitor& m, int) { rebuildRegister(m, m.ui.Check3, 3); }

void DISPLAY_HWset(Monitor& m) {
  if (m.ui.Check0[3].value() == 1)
    CELL10_mode(m);
  else
    CELL12_mode(m);
  REFRESH_CFGR_FRAME4(m);
}

namespace {
// Sets one row of boxes from its register text; boxes that change rebuild
// the same text through their clicks.
template <std::size_t N>
void updateRow(Monitor& m, std::array<context::Control, N>& row, int reg) {
  setRow(row, state::leadingHexValue(cfgr(m, reg)));
  REFRESH_CFGR_FRAME4(m);
}
}  // namespace

void UPDATE_Check0(Monitor& m) { updateRow(m, m.ui.Check0, 0); }
void UPDATE_Check1(Monitor& m) { updateRow(m, m.ui.Check1, 1); }
void UPDATE_Check2(Monitor& m) { updateRow(m, m.ui.Check2, 2); }
void UPDATE_Check3(Monitor& m) { updateRow(m, m.ui.Check3, 3); }

void CELL10_mode(Monitor& m) { showUpperCells(m, false); }
void CELL12_mode(Monitor& m) { showUpperCells(m, true); }

void Option1_Click(Monitor& m, int index) {
  if (index == 0) m.stack.GLOBALCFGRflag = 0;
  if (index == 1) m.stack.GLOBALCFGRflag = 1;
}

void REFRESH_CFGR_FRAME4(Monitor& m) {
  const state::BoardRecord& r = m.stack.board[m.stack.BRDnumber];
  for (int k = 0; k < 6; ++k) {
    context::Control& box = m.ui.Text4[k];
    box.setBackColor(context::kWindowBackground);
    box.setForeColor(context::kGrey);
    box.setText("   " + r.CFGRset[k] + "   ");
  }
}

}  // namespace kestrav::config
