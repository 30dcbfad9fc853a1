#include "display/CellStatus.h"

#include "context/ReadingReports.h"
#include "display/CellStatusCodes.h"
#include "state/ConfigBits.h"
#include "state/HexText.h"

namespace kestrav::display {

namespace {

using state::BoardStack;

bool bitSet(int value, int bit) { return (value & (1 << bit)) != 0; }

// The cell symbol of the selected board: a bar whose bottom edge stays at
// 855 (cell-frame units) and whose top edge and fill tell the status, and
// the body behind it, white only while the cell has no reading.
struct CellSymbol {
  int barTop;
  int barHeight;
  std::uint32_t bodyFill;
};

constexpr std::uint32_t kBodyRead = 0xE0E0E0u;

constexpr std::array<CellSymbol, kCellStatusCount> kSymbols{{
    {600, 255, 0xFFFFFFu},  // NR
    {600, 255, kBodyRead},  // OK
    {720, 135, kBodyRead},  // DC
    {720, 135, kBodyRead},  // UV
    {480, 375, kBodyRead},  // OV
    {360, 495, kBodyRead},  // MI
    {720, 135, kBodyRead},  // MD
}};

}  // namespace

void SET_MCI_DCC_DISPLAY(Monitor& m) {
  BoardStack& s = m.stack;
  // Unpack the discharge and mask bits from the configuration as prepared,
  // which is what the chip holds once it has been written.
  for (int b = 0; b <= s.CARDSTACK; ++b) {
    state::BoardRecord& r = s.board[b];
    auto prepared = [&r](state::RegisterBit at) { return bitSet(state::leadingHexValue(r.CFGRset[at.reg]), at.bit); };
    for (int cell = 1; cell <= state::kCellsPerBoard; ++cell) {
      r.DCCbit[cell - 1] = prepared(state::dischargeBit(cell));
      r.MCIbit[cell - 1] = prepared(state::maskBit(cell));
    }
  }
  for (int b = 0; b <= s.CARDSTACK; ++b) {
    const state::BoardRecord& r = s.board[b];
    for (int n = 1; n <= state::kCellsPerBoard; ++n) {
      int& status = s.CELLstatus[state::statusIndex(b, n)];
      // A flag from the last read stays until the next read says otherwise;
      // everything else is re-derived from the configuration.
      if (status != UV && status != OV) status = NR;
      const bool dcc = r.DCCbit[n - 1];
      const bool mci = r.MCIbit[n - 1];
      if (dcc && mci)
        status = MD;
      else if (dcc)
        status = DC;
      else if (mci)
        status = MI;
    }
  }
}

void SET_CELLstatus(Monitor& m) {
  BoardStack& s = m.stack;
  for (int b = 0; b <= s.CARDSTACK; ++b) {
    // A single read only brought news of the selected board; the cycle
    // visits every board, so then each keeps the flags it last reported.
    if (s.OnOff == 0 && b != s.BRDnumber) continue;
    const state::BoardRecord& r = s.board[b];
    for (int n = 1; n <= state::kCellsPerBoard; ++n) {
      int& status = s.CELLstatus[state::statusIndex(b, n)];
      const int flags = state::leadingHexValue(r.FLGRread[(n - 1) / 4]);
      const int k = (n - 1) % 4;
      if (status != DC && status != MI && status != MD) status = OK;
      // A discharging cell is pulled down on purpose: its flags say nothing.
      if (bitSet(flags, 2 * k) && status != DC) status = UV;
      if (bitSet(flags, 2 * k + 1) && status != DC) status = OV;
    }
  }
}

void CLEAR_CELLstatus(Monitor& m) {
  BoardStack& s = m.stack;
  for (int b = 0; b <= s.CARDSTACK; ++b) {
    if (s.CLEARALLstatus != 1 && b != s.BRDnumber) continue;
    for (int n = 1; n <= state::kCellsPerBoard; ++n) s.CELLstatus[state::statusIndex(b, n)] = NR;
  }
  s.CLEARALLstatus = 0;
}

void DISPLAY_CELLstatus(Monitor& m) {
  const BoardStack& s = m.stack;
  for (int b = 0; b <= s.CARDSTACK; ++b)
    for (int n = 1; n <= state::kCellsPerBoard; ++n) {
      const int i = state::statusIndex(b, n);
      m.ui.Shape1[i].setFillColor(cellStatusCode(s.CELLstatus[i]).colour);
    }
  context::reportStatuses(m);

  // While a cycle runs the symbols follow the selected board only on the
  // pass that has just read it; otherwise they would flicker between boards.
  if (s.BRDread != s.BRDnumber && s.OnOff == 1) return;
  for (int n = 1; n <= state::kCellsPerBoard; ++n) {
    const CellStatusCode& code = cellStatusCode(s.CELLstatus[state::statusIndex(s.BRDnumber, n)]);
    const CellSymbol& symbol = kSymbols[code.value];
    context::Control& bar = m.ui.Shape2[n - 1];
    bar.setTop(symbol.barTop);
    bar.setHeight(symbol.barHeight);
    bar.setFillColor(code.colour);
    m.ui.Shape4[n - 1].setFillColor(symbol.bodyFill);
  }
}

}  // namespace kestrav::display
