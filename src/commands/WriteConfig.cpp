#include "commands/WriteConfig.h"

#include "display/ReadingDisplays.h"
#include "link/CommandStrings.h"

namespace kestrav::commands {

void SET_GLOBAL_CFGR(context::Monitor& m) {
  state::BoardStack& s = m.stack;
  if (s.GLOBALCFGRflag != 1) return;
  const state::BoardRecord& selected = s.board[s.BRDnumber];
  for (int b = 0; b <= s.CARDSTACK; ++b) {
    if (b == s.BRDnumber) continue;
    state::BoardRecord& r = s.board[b];
    r.CFGRset[4] = selected.CFGRset[4];
    r.CFGRset[5] = selected.CFGRset[5];
    // The threshold display rebuilds CFGR4/CFGR5 from the codes whenever a
    // board is selected; without the codes the copy would quietly revert
    // and the next addressed write would send the old thresholds.
    r.VUVcode = selected.VUVcode;
    r.VOVcode = selected.VOVcode;
  }
}

void WRCFG_BROADCAST(context::Monitor& m) {
  // The chip answers nothing to a write: whether it took the bytes shows
  // only when the configuration is read back and compared.
  m.link.send(link::writeConfigString(m.stack));

  context::MainWindowModel& ui = m.ui;
  for (context::Control& box : ui.Text4) {
    box.setBackColor(context::kWindowBackground);
    box.setForeColor(context::kBlack);
  }
  ui.Text3.setForeColor(context::kBlack);
  for (context::Control& box : ui.Text2) box.setForeColor(context::kBlack);

  // What was read back before the write no longer describes the chip.
  m.stack.RDCFGflag = 0;
  display::DISPLAY_RDCFG(m);
}

}  // namespace kestrav::commands
