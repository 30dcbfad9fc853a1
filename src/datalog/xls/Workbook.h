#pragma once
// A workbook of one worksheet, written in one go as an Excel 97-2003 file
// (.xls). Rows and columns count from 0 (A1 is 0, 0). Formats work like a
// spreadsheet's range formats: they stay on a cell when a value is written
// later, and they can lie on cells without a value.
//
// Most cells are held in memory; a long block of rows can instead come from
// a row source that forms each row's values when the rows are read (to fit
// the columns and to write the file), so a sheet of millions of cells never
// has them all in memory at once.

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kestrav::datalog::xls {

struct SheetSurvey;

// Format attributes; a cell's format is any combination of them.
enum FormatBit : std::uint8_t {
  kBold = 1,              // bold font
  kVCentre = 2,           // vertically centred
  kDoubleBottom = 4,      // double line of thick weight under the cell
};

// Texts are held once per workbook (a datalog repeats most of its texts
// thousands of times) and numbers beside the cells; a cell names its value
// by index, so a cell takes eight bytes.
struct Cell {
  enum class Kind : std::uint8_t { Blank, Text, Number };
  Kind kind = Kind::Blank;
  std::uint8_t format = 0;  // FormatBit combination
  std::uint32_t value = 0;  // index of the text (Workbook::text) or the number (Workbook::number)
};

// The values of one row as a row source forms them, by column from 0. An
// empty text leaves its cell blank; columns set to nothing are holes.
class RowValues {
 public:
  void clear();
  void setText(int column, std::string text);
  void setNumber(int column, double value);

  const std::vector<Cell>& cells() const { return cells_; }

 private:
  friend class Workbook;
  Cell* cell(int column);

  std::vector<Cell> cells_;
  std::vector<std::string> texts_;  // by Cell::value, for this row only
  std::vector<double> numbers_;
};

// Row `index` (0 for the block's first row) of a block of rows.
using RowSource = std::function<void(int index, RowValues& values)>;

// One row as the readers of the workbook see it: its cells, with their
// texts and numbers.
class RowView {
 public:
  const std::vector<Cell>& cells() const { return *cells_; }
  const std::string& text(const Cell& c) const { return rowTexts_ ? (*rowTexts_)[c.value] : (*bookTexts_)[c.value]; }
  double number(const Cell& c) const { return (*numbers_)[c.value]; }

 private:
  friend class Workbook;
  const std::vector<Cell>* cells_ = nullptr;
  const std::deque<std::string>* bookTexts_ = nullptr;
  const std::vector<std::string>* rowTexts_ = nullptr;
  const std::vector<double>* numbers_ = nullptr;
};

class Workbook {
 public:
  static constexpr int kMaxRows = 65536;
  static constexpr int kMaxColumns = 256;
  static constexpr std::size_t kMaxTextLength = 32767;  // UTF-16 units; longer texts are cut

  explicit Workbook(std::string sheetName = "Sheet1");

  const std::string& sheetName() const { return sheetName_; }

  // Writing an empty text empties the cell (its format stays). Cells
  // outside the sheet's limits are ignored.
  void setText(int row, int column, std::string text);
  void setNumber(int row, int column, double value);
  // Adds format attributes to every cell of the rectangle (corners included).
  void addFormat(int row1, int column1, int row2, int column2, std::uint8_t bits);

  // Rows first..first+count-1 take their values from `source`, which is
  // called again for each row every time the rows are read: it must form
  // the same values each time and outlive the workbook's last read. Formats
  // added to those rows apply; values set there with setText or setNumber
  // are not shown. Rows past the sheet's limit are left out.
  void setRowSource(int first, int count, RowSource source);

  // Fits the width of columns first..last to what they hold now: the widest
  // text or number of the column, in its cell's font. Columns without
  // content keep the default width. Later writes do not refit.
  // On the way it notes the texts and the extent of the row source's rows,
  // so that writing the file forms those rows only once more.
  void autoFitColumns(int first, int last);

  // The sheet's shared strings in order of first use, with their count of
  // uses, and its extent: what the file's writer needs before it writes.
  // `survey` must be fresh; it names texts of the workbook, so it is valid
  // while the workbook is unchanged.
  void survey(SheetSurvey& survey) const;

  // Rows up to the last that holds a cell (with a value or a format).
  int rowCount() const;
  // Calls `visit` with every row from 0 to rowCount() - 1, in order; the
  // view is valid during the call only.
  void visitRows(const std::function<void(int row, const RowView& view)>& visit) const;
  // Width of a column in 1/256 of a digit's width, or 0 for the default.
  std::uint16_t columnWidth(int column) const {
    return column < static_cast<int>(widths_.size()) ? widths_[static_cast<std::size_t>(column)] : 0;
  }
  int widthCount() const { return static_cast<int>(widths_.size()); }
  // The whole file, as save() writes it.
  std::vector<std::uint8_t> fileBytes() const;

  // Writes the file next to `path` under a temporary name, then renames it
  // over `path`: a failed save never leaves a partial file and never touches
  // an existing one. On failure `reason` (when given) says why.
  bool save(const std::string& path, std::string* reason = nullptr) const;

 private:
  Cell* cell(int row, int column);

  std::string sheetName_;
  std::uint32_t textIndex(std::string&& text);

  std::vector<std::vector<Cell>> rows_;
  std::vector<std::uint16_t> widths_;
  std::deque<std::string> texts_;  // a deque: the index below points into it
  std::unordered_map<std::string_view, std::uint32_t> textIndex_;
  std::vector<double> numbers_;

  int sourceFirst_ = 0;
  int sourceCount_ = 0;
  RowSource source_;
  // What the source's rows held when autoFitColumns last formed them; none
  // until then. Shared by copies: it never changes once made.
  struct BlockSurvey;
  std::shared_ptr<const BlockSurvey> blockSurvey_;
};

// The name a save writes under before it renames the file: hidden, of a
// fixed length whatever the workbook's name (a name of 255 characters
// leaves no room to add to it), and one of its own for each save of the
// process `pid`: ".xls-0000a2b3-00000000.tmp".
std::string temporaryName(unsigned pid, unsigned n);

}  // namespace kestrav::datalog::xls
