#include "datalog/Collection.h"

#include <chrono>
#include <cstdio>
#include <ctime>

#include "display/CellStatusCodes.h"
#include "state/HexText.h"

namespace kestrav::datalog {

namespace {

constexpr float kSecondsPerSample = 0.8f;
constexpr int kLastPoint = state::SampleStore::kPoints - 1;
constexpr int kLastBoard = state::kBoards - 1;

std::tm localTime(context::Clock& clock) {
  const std::time_t t = std::chrono::system_clock::to_time_t(clock.now());
  std::tm tm{};
  localtime_r(&t, &tm);
  return tm;
}

// Built by hand rather than with strftime: the GUI runs under the user's
// locale, and "%p" there may not read AM/PM.
struct StampParts {
  int hour12, minute, second, month, day, year;
  const char* half;
};

StampParts parts(context::Clock& clock) {
  const std::tm tm = localTime(clock);
  const int h = tm.tm_hour % 12;
  return {h == 0 ? 12 : h, tm.tm_min, tm.tm_sec, tm.tm_mon + 1, tm.tm_mday, tm.tm_year + 1900,
          tm.tm_hour < 12 ? "AM" : "PM"};
}

std::string joined(const std::string* first, int count) {
  std::string out;
  for (int i = 0; i < count; ++i) {
    if (i > 0) out += ", ";
    out += first[i];
  }
  return out;
}

void recordBoard(context::Monitor& m, int b, int point) {
  const state::BoardStack& s = m.stack;
  const state::BoardRecord& r = s.board[static_cast<std::size_t>(b)];
  state::SampleStore& log = m.datalog.DATAlog;

  log.at(b, 0, point) = displayStamp(m.clock);  // read afresh for every board
  log.at(b, 1, point) = joined(r.CFGRread.data(), 6) + ".";
  log.at(b, 2, point) = joined(r.FLGRread.data(), 3);
  log.at(b, 3, point) = r.VUVread;
  log.at(b, 4, point) = r.VOVread;

  std::string statuses[state::kCellsPerBoard];
  for (int c = 1; c <= state::kCellsPerBoard; ++c) {
    statuses[c - 1] = display::cellStatusCode(s.CELLstatus[state::statusIndex(b, c)]).shortName;
    log.at(b, 4 + c, point) = state::fixed(s.READINGvolts[state::cellReading(b, c)], 3);
  }
  log.at(b, 17, point) = joined(statuses, state::kCellsPerBoard);
  for (int t = 0; t < 3; ++t)
    log.at(b, 18 + t, point) = " " + state::fixed(s.READINGvolts[state::temperatureReading(b, t)], 3);
}

}  // namespace

std::string displayStamp(context::Clock& clock) {
  const StampParts p = parts(clock);
  char buf[96];
  std::snprintf(buf, sizeof buf, "%02d:%02d:%02d %s @ %02d-%02d-%04d", p.hour12, p.minute, p.second, p.half,
                p.month, p.day, p.year);
  return buf;
}

std::string fileStamp(context::Clock& clock) {
  const StampParts p = parts(clock);
  char buf[96];
  std::snprintf(buf, sizeof buf, "%02d-%02d-%04d_%02d_%02d_%02d %s", p.month, p.day, p.year, p.hour12, p.minute,
                p.second, p.half);
  return buf;
}

void COLLECT_DATA_xls(context::Monitor& m) {
  state::DatalogState& d = m.datalog;
  // The store ends at point 1000 and the set-up never makes a longer ring;
  // should DATApoint ever stand outside it, the sample has no place and is
  // not recorded.
  if (d.DATApoint < 1 || d.DATApoint > kLastPoint) return;
  const int last = m.stack.CARDSTACK < kLastBoard ? m.stack.CARDSTACK : kLastBoard;
  for (int b = 0; b <= last; ++b) recordBoard(m, b, d.DATApoint);
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
