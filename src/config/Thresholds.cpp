#include "config/Thresholds.h"

#include "config/ConfigRegisters.h"
#include "state/HexText.h"

namespace kestrav::config {

// Threshold entry is not built yet: these routines only keep their place in
// the event routing.
void Text2_GotFocus(Monitor&, int) {}
int Text2_Keypress(Monitor&, int, int keyAscii) { return keyAscii; }
void Text2_LostFocus(Monitor&, int) {}
void Command2_Click(Monitor&, int) {}

void DISPLAY_VUV_VOV(Monitor& m) {
  state::BoardRecord& r = m.stack.board[m.stack.BRDnumber];
  r.CFGRset[4] = state::hexByte(r.VUVcode);
  m.ui.Text2[0].setText(state::fixed(static_cast<float>(r.VUVcode) * 0.024f, 3) + "V ");
  r.CFGRset[5] = state::hexByte(r.VOVcode);
  m.ui.Text2[1].setText(state::fixed(static_cast<float>(r.VOVcode) * 0.024f, 3) + "V ");
  REFRESH_CFGR_FRAME4(m);
}

}  // namespace kestrav::config
