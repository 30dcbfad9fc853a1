#include "datalog/Export.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

#include "datalog/SampleColumns.h"
#include "datalog/SampleTexts.h"
#include "display/CellStatusCodes.h"
#include "state/HexText.h"

namespace kestrav::datalog {
namespace {

// Rows and columns as the layout names them: row 1 and column A are 1.
constexpr int kHeaderRow = 10;
constexpr int kUnitsRow = 11;
constexpr int kFirstDataRow = 12;
constexpr int kLastPoint = state::SampleStore::kPoints - 1;

// First column of board b's block (C for board 1, W for board 2, ...).
constexpr int boardColumn(int b) { return kColumnsPerBoard * b + 3; }
// The status column of board b, which also carries the status legend.
constexpr int statusColumn(int b) { return boardColumn(b) + 16; }

class Sheet {
 public:
  explicit Sheet(xls::Workbook& book) : book_(book) {}
  // Cells by the layout's 1-based row and column.
  void text(int row, int column, std::string t) { book_.setText(row - 1, column - 1, std::move(t)); }
  void number(int row, int column, double v) { book_.setNumber(row - 1, column - 1, v); }
  void format(int row1, int column1, int row2, int column2, std::uint8_t bits) {
    book_.addFormat(row1 - 1, column1 - 1, row2 - 1, column2 - 1, bits);
  }
  void autoFit(int column1, int column2) { book_.autoFitColumns(column1 - 1, column2 - 1); }

 private:
  xls::Workbook& book_;
};

void writeHeaders(Sheet& s, int cardstack) {
  const auto& headers = boardColumnHeaders();
  for (int b = 0; b <= cardstack; ++b) {
    s.text(kHeaderRow, 1, "SAMPLE");
    s.text(kUnitsRow, 1, "POINT");
    s.text(kHeaderRow, 2, "TIME STAMP");
    s.text(kUnitsRow, 2, "Date/Time");
    for (int j = 0; j < kColumnsPerBoard; ++j) {
      const int column = boardColumn(b) + j;
      if (column == statusColumn(b)) {
        s.text(1, column, "STATUS LEGEND");
        for (int code = 0; code < display::kCellStatusCount; ++code)
          s.text(2 + code, column, display::kCellStatusCodes[static_cast<std::size_t>(code)].statusLegend);
      }
      s.text(kHeaderRow, column, boardColumnTitle(b, j + 1));
      s.text(kUnitsRow, column, headers[static_cast<std::size_t>(j)].unit);
    }
  }
}

// The sample points in the ring, oldest first.
std::vector<int> pointsOldestFirst(int cycleFlag, int counterStop, int setPoint) {
  std::vector<int> points;
  if (cycleFlag == 1)
    for (int p = counterStop; p <= setPoint; ++p) points.push_back(p);
  for (int p = 1; p <= counterStop - 1; ++p) points.push_back(p);
  // The store holds points 1..32767 only.
  std::erase_if(points, [](int p) { return p < 1 || p > kLastPoint; });
  return points;
}

// The sample rows, formed from the ring each time the workbook reads them:
// a full ring of ten boards is 6.6 million cells, far more than the ring's
// own bytes if they were all held at once.
void writeSamples(xls::Workbook& book, const context::Monitor& m, int cardstack) {
  auto points = pointsOldestFirst(m.stack.CYCLEflag, m.stack.COUNTERstop, m.datalog.SETpoint);
  const SampleTexts log(m.datalog.DATAlog);
  const int count = static_cast<int>(points.size());
  book.setRowSource(kFirstDataRow - 1, count,
                    [points = std::move(points), log, cardstack](int i, xls::RowValues& row) {
                      const int p = points[static_cast<std::size_t>(i)];
                      row.setNumber(0, i + 1);
                      row.setText(1, log.at(0, 0, p));
                      for (int b = 0; b <= cardstack; ++b)
                        for (int j = 1; j <= kColumnsPerBoard; ++j)
                          row.setText(kColumnsPerBoard * b + 1 + j, log.at(b, j, p));
                    });
}

void writeInformation(Sheet& s, const state::DatalogState& d, const std::string& path) {
  s.text(1, 1, path);
  s.text(2, 1, "KESTRAV-1 DATALOGGING SPREADSHEET");
  s.text(3, 2, "DATALOG SETUP MADE   = " + d.DSETUPstamp);
  s.text(4, 2, "SECONDS = " + state::fixed(d.SAMPLEtime, 3));
  s.text(5, 2, "SAMPLES = " + std::to_string(d.SAMPLEpoints));
  s.text(6, 2, "CURRENT DATALOG VIEW = " + d.DCURRENTstamp);
  s.text(7, 2, "SECONDS = " + state::fixed(d.VIEWtime, 3));
  s.text(8, 2, "SAMPLES = " + std::to_string(d.VIEWpoints));
}

// Writes the workbook; a failure is told to the user and goes no further.
bool exportTo(context::Monitor& m, const std::string& path) {
  const xls::Workbook book = datalogWorkbook(m, path);
  std::string reason;
  if (book.save(path, &reason)) return true;
  m.desktop.messageBox("The datalog could not be saved to the workbook\n\n" + (path.empty() ? "(no file chosen)" : path) +
                           "\n\n" + reason,
                       context::kDefaultMessageTitle, context::MessageButtons::OK, context::MessageIcon::Exclamation,
                       context::MessageAnswer::OK);
  return false;
}

// The program's own folder, unless it is there but not writable (installed
// under /usr/bin or /opt): then $XDG_DATA_HOME/kestrav-monitor, by default
// ~/.local/share/kestrav-monitor, made when missing. A folder that is not
// there at all stays the target, so the failure is reported with it.
std::string lastDatalogFolder(const std::string& programFolder) {
  if (::access(programFolder.c_str(), W_OK) == 0 || errno == ENOENT) return programFolder;
  const char* dataHome = std::getenv("XDG_DATA_HOME");
  const char* home = std::getenv("HOME");
  std::string base;
  if (dataHome != nullptr && dataHome[0] == '/') base = dataHome;
  else if (home != nullptr && home[0] != '\0') base = std::string(home) + "/.local/share";
  else return programFolder;
  const std::string folder = base + "/kestrav-monitor";
  std::error_code ignored;  // a folder that cannot be made shows in the save's failure
  std::filesystem::create_directories(folder, ignored);
  return folder;
}

}  // namespace

xls::Workbook datalogWorkbook(const context::Monitor& m, const std::string& path) {
  const int cardstack = std::clamp(m.stack.CARDSTACK, 0, 9);
  const int endColumn = boardColumn(cardstack) + kColumnsPerBoard - 1;  // V for one board, GT for ten

  xls::Workbook book("Sheet1");
  Sheet s(book);
  writeHeaders(s, cardstack);
  s.format(1, 1, kUnitsRow, endColumn, xls::kBold | xls::kVCentre);
  s.format(kUnitsRow, 1, kUnitsRow, endColumn, xls::kDoubleBottom);
  writeSamples(book, m, cardstack);
  s.format(kUnitsRow, 1, kFirstDataRow, endColumn, xls::kVCentre);
  s.autoFit(1, endColumn);
  writeInformation(s, m.datalog, path);
  return book;
}

void SAVE_2_xls(context::Monitor& m) { exportTo(m, m.datalog.NewFile); }

void SAVE_Last_DATAlog_xls(context::Monitor& m) { saveLastDatalog(m); }

bool saveLastDatalog(context::Monitor& m) {
  // The name also goes into the save dialog's file name, where the next
  // set-up's dialog starts.
  m.ui.CommonDialog1.setText(lastDatalogFolder(m.desktop.programFolder()) + "/" + m.datalog.DLASTstamp +
                             "_LAST_DATALOG.xls");
  m.datalog.LastDATAlog = m.ui.CommonDialog1.text();
  return exportTo(m, m.datalog.LastDATAlog);
}

}  // namespace kestrav::datalog
