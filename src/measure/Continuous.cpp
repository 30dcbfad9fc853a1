#include "measure/Continuous.h"

#include "commands/ReadCells.h"
#include "commands/ReadConfig.h"
#include "commands/ReadFlags.h"
#include "commands/ReadTemps.h"
#include "commands/Starts.h"
#include "datalog/Collection.h"
#include "display/CellStatus.h"
#include "display/ReadingDisplays.h"
#include "state/HexText.h"

namespace kestrav::measure {

namespace {
constexpr std::uint32_t kValidOnlyColour = 0x008000;  // dark green
constexpr std::uint32_t kAllTransfersColour = 0x000080;  // dark red
constexpr std::uint32_t kRunningLamp = 65280;            // green
constexpr std::uint32_t kStoppedLamp = 255;              // red

// Buttons that would collide with the cycle: the conversion starts and the
// single-shot reads of cells, temperatures and flags.
constexpr int kCycleLockedButtons[] = {2, 7, 4, 9, 8};
constexpr int kReadConfigButton = 6;
constexpr int kStartPauseButton = 11;
constexpr int kCellBroadcastBox = 2;         // STCVAD
constexpr int kTemperatureBroadcastBox = 4;  // STTMPAD

void startCycle(Monitor& m) {
  state::BoardStack& s = m.stack;
  context::MainWindowModel& ui = m.ui;
  ui.Command1[10].setCaption("      STOP CONTINUOUS READ CELLS");
  ui.Command1[10].setCaption("            STOP                    CONTINUOUS              READ CELLS");
  ui.Shape3.setFillColor(kRunningLamp);
  s.MEASUREflag = 0;
  s.SINGLESHOTflag = 0;
  Check_AUTO_Click(m);
  for (int b : kCycleLockedButtons) ui.Command1[b].setEnabled(false);
  ui.Command1[kReadConfigButton].setEnabled(m.datalog.DATACOLLECTflag == 0);
  s.BRDread = 0;
  // Conversions of a cycle go to every board at once.
  for (int box : {kCellBroadcastBox, kTemperatureBroadcastBox}) {
    ui.Check5[box].setValue(1);
    ui.Check5[box].setEnabled(false);
  }
  for (int i = 1; i <= 3; ++i) ui.Label18[i].setEnabled(false);
  CLEAR_LOCAL_READINGS(m);
  s.PECflag = 0;
  display::CLEAR_PEC_DISPLAYS(m);
  display::SET_MCI_DCC_DISPLAY(m);
  display::DISPLAY_CELLstatus(m);
}

void stopCycle(Monitor& m) {
  state::BoardStack& s = m.stack;
  context::MainWindowModel& ui = m.ui;
  ui.Command1[10].setCaption("           START                   CONTINUOUS              READ CELLS");
  // A datalog's cycle stops here only when a read gave up; the visible
  // start/pause button must then offer to resume, as after a pause.
  if (m.datalog.DATACOLLECTflag == 1) ui.Command1[kStartPauseButton].setCaption("START D-LOG");
  ui.Shape3.setFillColor(kStoppedLamp);
  s.CLEARALLstatus = 1;
  s.BRDread = s.BRDnumber;
  for (int b : kCycleLockedButtons) ui.Command1[b].setEnabled(true);
  ui.Command1[kReadConfigButton].setEnabled(true);
  ui.Check5[kCellBroadcastBox].setEnabled(true);
  ui.Check5[kTemperatureBroadcastBox].setEnabled(true);
  for (int i = 1; i <= 3; ++i) ui.Label18[i].setEnabled(true);
  // Readings of a stopped cycle are no longer current; the raw hex texts stay.
  for (int b = 0; b <= s.CARDSTACK; ++b) {
    for (int c = 1; c <= state::kCellsPerBoard; ++c) s.READINGvolts[state::cellReading(b, c)] = 0.0f;
    for (int t = 0; t < 3; ++t) s.READINGvolts[state::temperatureReading(b, t)] = 0.0f;
  }
  s.RDCVflag = 0;
  CLEAR_LOCAL_READINGS(m);
  s.PECflag = 0;
  display::CLEAR_PEC_DISPLAYS(m);
  display::CLEAR_CELLstatus(m);
  display::DISPLAY_CELLstatus(m);
}

// The chip commands of one step of the cycle on board BRDread.
void runStep(Monitor& m, int step, bool collecting) {
  switch (step) {
    case 0:
      if (collecting) commands::RDCFG_ADDRESSABLE_PEC(m);
      commands::STCVAD_BROADCAST(m);
      commands::RDCV_ADDRESSABLE_PEC(m);
      if (collecting) datalog::REPORT_DLOG_current(m);
      break;
    case 1:
      commands::STTMPAD_BROADCAST(m);
      commands::RDTMP_ADDRESSABLE_PEC(m);
      break;
    case 2:
      commands::RDFLG_ADDRESSABLE_PEC(m);
      break;
    case 3:
      if (collecting) datalog::COLLECT_DATA_xls(m);
      break;
    default:
      break;
  }
}

}  // namespace

void Check_AUTO_Click(Monitor& m) {
  switch (m.ui.Check_AUTO.value()) {
    case 1:
      m.stack.AUTORESTARTflag = 1;
      m.ui.Label_AUTOstatus.setCaption("DISPLAY ONLY VALID DATA TRANSFERS!");
      m.ui.Label_AUTOstatus.setForeColor(kValidOnlyColour);
      break;
    case 0:
      m.stack.AUTORESTARTflag = 0;
      m.ui.Label_AUTOstatus.setCaption("DISPLAY ALL DATA TRANSFERS!");
      m.ui.Label_AUTOstatus.setForeColor(kAllTransfersColour);
      break;
    default:
      break;
  }
}

void CONTINUOUS_cmd(Monitor& m) {
  m.stack.OnOff = m.stack.OnOff + 1 == 2 ? 0 : m.stack.OnOff + 1;
  if (m.stack.OnOff == 1)
    startCycle(m);
  else
    stopCycle(m);
}

void Measure_KESTRAV_DUT(Monitor& m) {
  state::BoardStack& s = m.stack;
  state::DatalogState& d = m.datalog;
  // A read that gives up stops the cycle but not this step: the rest of its
  // calls still run, now with OnOff = 0.
  runStep(m, s.MEASUREflag, d.DATACOLLECTflag == 1);
  ++s.MEASUREflag;
  if (d.DATACOLLECTflag == 1) {
    if (s.MEASUREflag >= 4) {
      s.MEASUREflag = 0;
      ++s.BRDread;
    }
    if (s.BRDread > s.CARDSTACK) s.BRDread = 0;
    if (d.DATApoint >= d.SETpoint + 1) {
      d.DATApoint = 1;
      s.CYCLEflag = 1;
    }
  } else {
    if (s.MEASUREflag >= 3) {
      s.MEASUREflag = 0;
      ++s.BRDread;
      // The marker stands over the board just completed.
      m.ui.Image1.setLeft(context::kOverviewLeft + context::kOverviewColumn * (s.BRDread - 1));
    }
    if (s.BRDread > s.CARDSTACK) s.BRDread = 0;
  }
  if (s.MEASURESKIPflag == 1) {
    s.MEASURESKIPflag = 0;
    return;
  }
  display::SET_CELLstatus(m);
  display::DISPLAY_CELLstatus(m);
}

void CLEAR_LOCAL_CELLS(Monitor& m) {
  for (int i = 11; i >= 0; --i) m.ui.Text1[i].setText(state::readingText(0.0f));
}

void CLEAR_LOCAL_TEMPS(Monitor& m) {
  for (int i = 2; i >= 0; --i) m.ui.Text6[i].setText(state::readingText(0.0f));
  for (int i = 0; i < 3; ++i) {
    m.ui.Shape6[i].setFillColor(context::kWindowBackground);
    m.ui.Shape7[i].setFillColor(context::kWindowBackground);
    m.ui.Shape8[i].setFillColor(context::kWindowBackground);
  }
}

void CLEAR_LOCAL_FLAGS(Monitor& m) {
  for (context::Control& c : m.ui.Text7) c.setText("");
}

void CLEAR_LOCAL_READINGS(Monitor& m) {
  CLEAR_LOCAL_CELLS(m);
  CLEAR_LOCAL_TEMPS(m);
  CLEAR_LOCAL_FLAGS(m);
}

}  // namespace kestrav::measure
