#pragma once
// What the datalog keeps between events: the set-up, the sample ring and
// the stamps and counters shown in the exported workbook.

#include <array>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace kestrav::state {

// The sample ring, kept compactly: per board and sample point the numbers
// and codes the texts of the datalog's 21 columns are formed from (datalog/
// forms them when a sample is shown, exported or journalled). Boards 0..9
// and points 1..32767 can be written; board slot 10, point 0 and columns
// 21..30 always read as empty. A text that has no compact form is kept
// whole beside the ring.
class SampleStore {
 public:
  static constexpr int kBoards = 11;
  static constexpr int kColumns = 31;
  static constexpr int kPoints = 32768;  // 1..32767: the 16-bit limit of the set-up
  static constexpr int kWrittenBoards = 10;
  static constexpr int kVoltColumns = 15;  // cells 1..12, ETMP1, ETMP2, ITMP1
  static constexpr int kCells = 12;

  struct BoardSample {
    std::uint32_t stamp = 0;    // local time of column 0, seconds since 2000-01-01 00:00:00
    std::array<std::int16_t, kVoltColumns> milli{};  // columns 5..16 and 18..20 in thousandths
    std::uint16_t vuv = 0, vov = 0;  // columns 3 and 4: indices of threshold texts
    std::uint16_t present = 0;       // bit i: CFGRread[i] (i < 6) or FLGRread[i - 6] has two digits
    std::array<std::uint8_t, 6> cfgr{};
    std::array<std::uint8_t, 3> flgr{};
    std::array<std::uint8_t, kCells> status{};  // CellStatus codes of column 17
    bool written = false;
  };

  // Empties the store and makes room for points 1..points at once.
  void reset(int points);

  static bool writable(int board, int point) {
    return board >= 0 && board < kWrittenBoards && point >= 1 && point < kPoints;
  }
  // The sample of a board at a point; nullptr when it was never written.
  const BoardSample* sample(int board, int point) const;
  // The sample to fill in at a writable point, emptied (its kept texts too).
  BoardSample& write(int board, int point);

  // A text kept whole for a cell; nullptr when the cell has none.
  const std::string* text(int board, int column, int point) const;
  // Keeps a text whole for a cell (of a writable board and point, any
  // column); an empty text removes it.
  void setText(int board, int column, int point, std::string text);

  // Threshold texts are few; each is kept once and named by its index.
  // Returns false when the table is full.
  bool thresholdIndex(const std::string& text, std::uint16_t* index);
  const std::string& threshold(std::uint16_t index) const { return thresholds_[index]; }

  // Bytes held, for the memory figures.
  std::size_t bytes() const;

 private:
  static std::uint64_t key(int board, int column, int point) {
    return (static_cast<std::uint64_t>(point) * kBoards + static_cast<std::uint64_t>(board)) * kColumns +
           static_cast<std::uint64_t>(column);
  }
  static std::size_t slot(int board, int point) {
    return static_cast<std::size_t>(point - 1) * kWrittenBoards + static_cast<std::size_t>(board);
  }
  std::vector<BoardSample> samples_;
  std::unordered_map<std::uint64_t, std::string> texts_;
  std::vector<std::string> thresholds_;
  std::unordered_map<std::string, std::uint16_t> thresholdOf_;
};

// The journal of the datalog in progress: the CSV file every sample also
// goes to, beside the set-up's workbook. The file itself is opened at the
// first sample.
struct JournalRun {
  bool wanted = false;    // a journal is to be written for this datalog (and has not failed)
  std::string workbook;   // the workbook it goes beside
  long long samples = 0;  // lines written so far: the SAMPLE column, on across the ring's wrap
  int boards = 0;         // boards in its header, fixed for the whole file
  bool openedAhead = false;  // created before its set-up, which has yet to take it over
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
