#include "measure/Dispatcher.h"

#include "commands/ReadCells.h"
#include "commands/ReadConfig.h"
#include "commands/ReadFlags.h"
#include "commands/ReadTemps.h"
#include "commands/Starts.h"
#include "commands/WriteConfig.h"
#include "datalog/Export.h"
#include "datalog/Viewing.h"
#include "datalog/Setup.h"
#include "display/CellStatus.h"
#include "display/ReadingDisplays.h"
#include "measure/Continuous.h"

namespace kestrav::measure {

using context::Monitor;

namespace {

constexpr std::uint32_t kTransferNoticeColour = 0xC00000;

// The export keeps the window from painting for as long as it takes: the
// notice must be on screen before it starts.
void showTransferNotice(Monitor& m, const char* notice) {
  m.ui.Label_AUTOstatus.setCaption(notice);
  m.ui.Label_AUTOstatus.setForeColor(kTransferNoticeColour);
  m.desktop.paintWindowNow();
}

// A fresh cell conversion makes every shown cell reading stale.
void afterCellConversionStart(Monitor& m) {
  CLEAR_LOCAL_CELLS(m);
  display::CLEAR_CELLstatus(m);
  display::CLEAR_PEC_DISPLAYS(m);
  display::DISPLAY_CELLstatus(m);
}

// A read started from its button: one bridge read, a mismatch shown rather
// than retried; the "PEC Match Only" option is put back afterwards.
template <typename Read>
void singleShot(Monitor& m, bool setSingleShot, Read read) {
  m.stack.AUTORESTARTflag = 0;
  if (setSingleShot) m.stack.SINGLESHOTflag = 1;
  read();
  Check_AUTO_Click(m);
}

void stopDatalog(Monitor& m) {
  state::DatalogState& d = m.datalog;
  m.stack.COUNTERstop = d.DATApoint;
  showTransferNotice(m, "WAIT FOR DATA TRANSFER TO EXCEL TO LAST DATALOG.");
  datalog::SAVE_Last_DATAlog_xls(m);
  Check_AUTO_Click(m);
  m.ui.mnuViewLastDatalog.setEnabled(true);
  datalog::CLEAR_DATAlog(m);
  // The cycle goes on as plain continuous measurement: the toggle, forced
  // from 0, lands on its running branch.
  d.DATACOLLECTflag = 0;
  m.stack.OnOff = 0;
  datalog::DATALOGGING_cmd(m);
  datalog::SET_collect_BUTTONS(m);
  m.stack.CYCLEflag = 0;
  d.DATApoint = 1;
}

void exportAndView(Monitor& m) {
  m.stack.COUNTERstop = m.datalog.DATApoint;
  showTransferNotice(m, "WAIT FOR DATA TRANSFER TO EXCEL.");
  datalog::SAVE_2_xls(m);
  datalog::VIEW_xls(m);
  Check_AUTO_Click(m);
}

}  // namespace

void Command1_click(Monitor& m, int index) {
  switch (index) {
    case 0:
      commands::PLADC_BROADCAST(m);
      break;
    case 1:
      commands::PLINT_BROADCAST(m);
      break;
    case 2:
      commands::STCVAD_BROADCAST(m);
      afterCellConversionStart(m);
      break;
    case 3:
      commands::STOWAD_BROADCAST(m);
      afterCellConversionStart(m);
      break;
    case 4:
      commands::STTMPAD_BROADCAST(m);
      CLEAR_LOCAL_TEMPS(m);
      display::CLEAR_PEC_DISPLAYS(m);
      break;
    case 5:
      commands::SET_GLOBAL_CFGR(m);
      commands::WRCFG_BROADCAST(m);
      display::CLEAR_PEC_DISPLAYS(m);
      display::SET_MCI_DCC_DISPLAY(m);
      display::SET_CELLstatus(m);
      display::DISPLAY_CELLstatus(m);
      break;
    case 6:
      singleShot(m, false, [&m] {
        commands::RDCFG_ADDRESSABLE_PEC(m);
        commands::Compare_CFGR(m);
      });
      break;
    case 7:
      singleShot(m, true, [&m] {
        commands::RDCV_ADDRESSABLE_PEC(m);
        display::SET_MCI_DCC_DISPLAY(m);
      });
      break;
    case 8:
      singleShot(m, true, [&m] {
        commands::RDFLG_ADDRESSABLE_PEC(m);
        display::SET_CELLstatus(m);
        display::DISPLAY_CELLstatus(m);
      });
      break;
    case 9:
      singleShot(m, true, [&m] { commands::RDTMP_ADDRESSABLE_PEC(m); });
      break;
    case 10:
      CONTINUOUS_cmd(m);
      break;
    case 11:
      m.datalog.DATACOLLECTflag = 1;
      datalog::DATALOGGING_cmd(m);
      break;
    case 12:
      stopDatalog(m);
      break;
    case 13:
      exportAndView(m);
      break;
    default:
      break;  // not a button
  }
}

}  // namespace kestrav::measure
