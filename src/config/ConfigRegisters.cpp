#include "config/ConfigRegisters.h"

namespace kestrav::config {

// Register editing is not built yet: these routines only keep their place in
// the event routing.
void Command0_Click(Monitor&, int) {}
void DISPLAY_CDC(Monitor&) {}
void Check0_Click(Monitor&, int) {}
void Check1_Click(Monitor&, int) {}
void Check2_Click(Monitor&, int) {}
void Check3_Click(Monitor&, int) {}
void DISPLAY_HWset(Monitor&) {}
void UPDATE_Check0(Monitor&) {}
void UPDATE_Check1(Monitor&) {}
void UPDATE_Check2(Monitor&) {}
void UPDATE_Check3(Monitor&) {}
void CELL10_mode(Monitor&) {}
void CELL12_mode(Monitor&) {}
void Option1_Click(Monitor&, int) {}

void REFRESH_CFGR_FRAME4(Monitor& m) {
  const state::BoardRecord& r = m.stack.board[m.stack.BRDnumber];
  for (int k = 0; k < 6; ++k) {
    app::Control& box = m.ui.Text4[k];
    box.setBackColor(app::kWindowBackground);
    box.setForeColor(app::kGrey);
    box.setText("   " + r.CFGRset[k] + "   ");
  }
}

}  // namespace kestrav::config
