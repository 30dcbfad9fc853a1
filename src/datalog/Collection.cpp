#include "datalog/Collection.h"

#include "datalog/Journal.h"
#include "datalog/SampleTexts.h"
#include "datalog/Stamps.h"
#include "state/HexText.h"

namespace kestrav::datalog {

namespace {

constexpr float kSecondsPerSample = 0.8f;
constexpr int kLastPoint = state::SampleStore::kPoints - 1;
constexpr int kLastBoard = state::kBoards - 1;

void recordBoard(context::Monitor& m, int b, int point) {
  // The clock is read afresh for every board.
  recordBoardSample(m.datalog.DATAlog, m.stack, b, point, localMoment(m.clock));
}

}  // namespace

std::string displayStamp(context::Clock& clock) { return displayStampText(localMoment(clock)); }

std::string fileStamp(context::Clock& clock) { return fileStampText(localMoment(clock)); }

void COLLECT_DATA_xls(context::Monitor& m) {
  state::DatalogState& d = m.datalog;
  // The store ends at point 32767, the longest ring the set-up makes;
  // should DATApoint ever stand outside it, the sample has no place and is
  // not recorded.
  if (d.DATApoint < 1 || d.DATApoint > kLastPoint) return;
  const int last = m.stack.CARDSTACK < kLastBoard ? m.stack.CARDSTACK : kLastBoard;
  for (int b = 0; b <= last; ++b) recordBoard(m, b, d.DATApoint);
  journalSample(m, d.DATApoint);
  ++d.DATApoint;
}

void REPORT_DLOG_current(context::Monitor& m) {
  state::DatalogState& d = m.datalog;
  if (m.stack.CYCLEflag == 0) {
    d.VIEWpoints = d.DATApoint - 1;
    d.VIEWtime = static_cast<float>(d.VIEWpoints) * kSecondsPerSample;
  } else if (m.stack.CYCLEflag == 1) {
    // A wrapped ring holds exactly the accepted set-up's points.
    d.VIEWpoints = d.SAMPLEpoints;
    d.VIEWtime = d.SAMPLEtime;
  }
  d.DCURRENTstamp = displayStamp(m.clock);
  d.DLASTstamp = fileStamp(m.clock);
  UPDATE_VIEW_ToolTip(m);
}

void UPDATE_VIEW_ToolTip(context::Monitor& m) {
  const state::DatalogState& d = m.datalog;
  m.ui.Command1[13].setToolTip("VIEW " + std::to_string(d.VIEWpoints) + " SAMPLES " + "FOR " +
                               state::fixed(d.VIEWtime, 3) + " SECONDS.");
}

}  // namespace kestrav::datalog
