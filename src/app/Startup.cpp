#include "app/Startup.h"

#include "config/BoardSelection.h"
#include "config/ConfigRegisters.h"
#include "config/Thresholds.h"
#include "measure/Continuous.h"

namespace kestrav::app {

using context::Control;

void Form_Load(Monitor& m) {
  state::BoardStack& s = m.stack;
  IDENTIFY_BRIDGE(m);
  if (s.Initialize != state::kTrue) {
    m.end(kExitRefused);
    return;
  }
  m.ui.Timer1.setEnabled(true);  // the view delivers no tick before this handler returns
  m.ui.Check_AUTO.setValue(1);   // raises Check_AUTO_Click
  s.MEASURESKIPflag = 0;
  s.SINGLESHOTflag = 0;
  s.COUNTERstop = 0;
  s.CYCLEflag = 0;
  config::INITIAL_BRDaddress(m);
  config::INITIAL_BROADCASTcmd(m);
  config::UPDATE_Command4_Caption(m);
  s.PEC_RDCFG = state::kTrue;
  s.PEC_RDCV = state::kTrue;
  s.PEC_RDFLG = state::kTrue;
  s.PEC_RDTMP = state::kTrue;
  GUI_DEFAULT_start(m);
}

void GUI_DEFAULT_start(Monitor& m) {
  state::BoardStack& s = m.stack;
  s.OnOff = 0;
  s.PECflag = 0;
  s.GLOBALCFGRflag = 1;
  s.BRDnumber = 0;
  s.CARDSTACK = 0;
  m.ui.Combo1.setListIndex(0);  // one board; raises Combo1_Click

  for (int b = 0; b < state::kBoards; ++b) {
    state::BoardRecord& r = s.board[b];
    r.CFGRset[0] = "E0";
    r.CDCmode = 0;
    config::DISPLAY_CDC(m);
    r.CFGRset[1] = "00";
    r.CFGRset[2] = "00";
    r.CFGRset[3] = "00";
    r.VUVcode = 0;
    r.CFGRset[4] = "00";
    r.VOVcode = 0;
    r.CFGRset[5] = "00";
  }
  config::DISPLAY_VUV_VOV(m);
  s.RDCVflag = 0;
  s.RDCFGflag = 0;
  for (Control& c : m.ui.Text5) c.setText("");
  for (Control& c : m.ui.Text7) c.setText("");
  for (int b = 0; b < state::kBoards; ++b) {
    s.board[b].DCCbit.fill(false);
    s.board[b].MCIbit.fill(false);
  }
  link::PECload(m.pecTable);
  for (int b = 0; b < state::kBoards; ++b) {
    state::BoardRecord& r = s.board[b];
    r.RDCFGbytes.fill(0);
    r.RDCVbytes.fill(0);
    r.RDFLGbytes.fill(0);
    r.RDTMPbytes.fill(0);
    r.PECrx.fill(0);
  }
  config::REFRESH_CFGR_FRAME4(m);
}

bool heartbeat(Monitor& m) { return commands::bridgeStillThere(m); }

void Timer1_Timer(Monitor& m) {
  if (!heartbeat(m)) return;
  if (m.stack.OnOff == 1) {
    measure::Check_AUTO_Click(m);
    measure::Measure_KESTRAV_DUT(m);
  }
}

void Form_Unload(Monitor& m) { m.end(0); }

void mnuExit_Click(Monitor& m) { m.end(0); }

}  // namespace kestrav::app
