#include "display/ReadingDisplays.h"

#include "commands/PecVerification.h"
#include "state/HexText.h"

namespace kestrav::display {

namespace {
constexpr std::uint32_t kTemperaturesReadGrey = 0xE0E0E0;
}

void Single_12CELL_Display(Monitor& m) {
  const state::BoardStack& s = m.stack;
  // While a cycle runs, only the pass over the selected board repaints.
  if (!(s.BRDread == s.BRDnumber || s.OnOff != 1)) return;
  for (int c = state::kCellsPerBoard; c >= 1; --c)
    m.ui.Text1[c - 1].setText(state::readingText(s.READINGvolts[state::cellReading(s.BRDnumber, c)]));
}

void UPDATE_RDFLG_Display(Monitor& m) {
  const state::BoardStack& s = m.stack;
  const int b = s.OnOff == 1 ? s.BRDread : s.BRDnumber;
  for (int k = 0; k < 3; ++k) m.ui.Text7[k].setText("  " + s.board[b].FLGRread[k] + "   ");
}

void UPDATE_RDTMP_Display(Monitor& m) {
  const state::BoardStack& s = m.stack;
  if (s.BRDread == s.BRDnumber) {
    const int b = s.BRDnumber;
    // The boxes run ITMP, ETMP1, ETMP2 from top to bottom.
    m.ui.Text6[0].setText(state::readingText(s.READINGvolts[state::temperatureReading(b, 2)]));
    m.ui.Text6[1].setText(state::readingText(s.READINGvolts[state::temperatureReading(b, 0)]));
    m.ui.Text6[2].setText(state::readingText(s.READINGvolts[state::temperatureReading(b, 1)]));
  }
  for (int i = 0; i < 3; ++i) {
    m.ui.Shape6[i].setFillColor(context::kRed);
    m.ui.Shape7[i].setFillColor(context::kRed);
    m.ui.Shape8[i].setFillColor(kTemperaturesReadGrey);
  }
}

void DISPLAY_RDCFG(Monitor& m) {
  const state::BoardStack& s = m.stack;
  for (int k = 0; k < 6; ++k) {
    if (s.RDCFGflag == 1) {
      m.ui.Text5[k].setText("   " + s.board[s.BRDnumber].CFGRread[k] + "   ");
    } else {
      // Written since the last read: nothing read back is current.
      m.ui.Text5[k].setText("");
      m.ui.Text5[k].setBackColor(context::kWindowBackground);
    }
  }
}

void UPDATE_PEC_Display(Monitor& m) {
  switch (m.stack.PECflag) {
    case 0: CLEAR_PEC_DISPLAYS(m); break;
    case 1: commands::PEC_GUI_vs_KESTRAV_RDCFG_local_restart(m); break;
    case 2: commands::PEC_GUI_vs_KESTRAV_RDCV_local_restart(m); break;
    case 3: commands::PEC_GUI_vs_KESTRAV_RDFLG_local_restart(m); break;
    case 4: commands::PEC_GUI_vs_KESTRAV_RDTMP_local_restart(m); break;
    default: break;
  }
}

void CLEAR_PEC_DISPLAYS(Monitor& m) {
  m.ui.Label8[1].setCaption("");
  m.ui.Text8.setBackColor(context::kWindowBackground);
  m.ui.Text8.setText("");
  for (int b = 0; b <= m.stack.CARDSTACK; ++b) m.ui.Shape12[b].setFillColor(context::kWindowBackground);
}

}  // namespace kestrav::display
