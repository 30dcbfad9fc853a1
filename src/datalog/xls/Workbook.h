#pragma once
// A workbook of one worksheet, built in memory and written in one go as an
// Excel 97-2003 file (.xls). Rows and columns count from 0 (A1 is 0, 0).
// Formats work like a spreadsheet's range formats: they stay on a cell when
// a value is written later, and they can lie on cells without a value.

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kestrav::datalog::xls {

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

  // Fits the width of columns first..last to what they hold now: the widest
  // text or number of the column, in its cell's font. Columns without
  // content keep the default width. Later writes do not refit.
  void autoFitColumns(int first, int last);

  // Rows that hold at least one cell (with a value or a format).
  int rowCount() const { return static_cast<int>(rows_.size()); }
  const std::vector<Cell>& row(int r) const { return rows_[static_cast<std::size_t>(r)]; }
  // Width of a column in 1/256 of a digit's width, or 0 for the default.
  std::uint16_t columnWidth(int column) const {
    return column < static_cast<int>(widths_.size()) ? widths_[static_cast<std::size_t>(column)] : 0;
  }
  int widthCount() const { return static_cast<int>(widths_.size()); }
  // The texts the cells name, UTF-8, by index.
  const std::string& text(std::uint32_t index) const { return texts_[index]; }
  std::size_t textCount() const { return texts_.size(); }
  double number(std::uint32_t index) const { return numbers_[index]; }

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
};

}  // namespace kestrav::datalog::xls
