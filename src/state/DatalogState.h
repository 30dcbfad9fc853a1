#pragma once
// What the datalog keeps between events: the set-up, the sample ring and
// the stamps and counters shown in the exported workbook.

#include <string>
#include <vector>

namespace kestrav::state {

// The sample ring: texts indexed by board (0..10), column (0..30) and sample
// point (0..1000); point 0 and columns 21..30 are never written.
class SampleStore {
 public:
  static constexpr int kBoards = 11;
  static constexpr int kColumns = 31;
  static constexpr int kPoints = 1001;

  SampleStore() : cells_(static_cast<std::size_t>(kBoards) * kColumns * kPoints) {}

  std::string& at(int board, int column, int point) { return cells_[offset(board, column, point)]; }
  const std::string& at(int board, int column, int point) const { return cells_[offset(board, column, point)]; }

 private:
  static std::size_t offset(int board, int column, int point) {
    return (static_cast<std::size_t>(board) * kColumns + static_cast<std::size_t>(column)) * kPoints +
           static_cast<std::size_t>(point);
  }
  std::vector<std::string> cells_;
};

// The journal of the datalog in progress: the CSV file every sample also
// goes to, beside the set-up's workbook. The file itself is opened at the
// first sample.
struct JournalRun {
  bool wanted = false;    // a journal is to be written for this datalog (and has not failed)
  std::string workbook;   // the workbook it goes beside
  long long samples = 0;  // lines written so far: the SAMPLE column, on across the ring's wrap
  int boards = 0;         // boards in its header, fixed for the whole file
};

struct DatalogState {
  int DATACOLLECTflag = 0;  // 1 while a datalog is set up (collecting or paused)
  int SAMPLEpoints = 0;     // samples computed from the logging time last entered
  float SAMPLEtime = 0.0f;  // SAMPLEpoints x 0.8 s
  int SETpoint = 0;         // sample points of the accepted set-up: the ring's length
  int DATApoint = 0;        // point the next sample is written to, 1..SETpoint
  std::string NewFile;      // workbook chosen in the set-up's save dialog
  std::string DSETUPstamp;  // when the set-up was accepted
  std::string LastDATAlog;  // the time-stamped workbook written at STOP

  int VIEWpoints = 0;         // samples collected so far
  float VIEWtime = 0.0f;      // the time they stand for, 0.8 s a sample
  std::string DCURRENTstamp;  // time of the latest pass, "hh:mm:ss AM/PM @ mm-dd-yyyy"
  std::string DLASTstamp;     // the same moment for file names, "mm-dd-yyyy_hh_mm_ss AM/PM"

  SampleStore DATAlog;
  JournalRun journal;
};

}  // namespace kestrav::state
