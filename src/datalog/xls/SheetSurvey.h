#pragma once
// What the writer must know of the sheet before it writes a byte: the
// globals list the shared strings ahead of the sheet, and the sheet starts
// with its extent.

#include <algorithm>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "datalog/xls/Workbook.h"

namespace kestrav::datalog::xls {

// The sheet's texts numbered in order of first use, with the count of uses.
// A text the workbook holds is named, not copied; others are kept here.
class SharedStrings {
 public:
  SharedStrings() = default;
  SharedStrings(const SharedStrings&) = delete;
  SharedStrings& operator=(const SharedStrings&) = delete;

  static constexpr std::uint32_t kUnknown = 0xFFFFFFFFu;

  // A text that outlives this table (held by the workbook).
  void addHeld(std::string_view text, std::uint32_t uses = 1) {
    references_ += uses;
    if (index_.try_emplace(text, static_cast<std::uint32_t>(order_.size())).second) order_.push_back(text);
  }
  // A text formed for the moment (a row source's), kept when it is new.
  void addFormed(const std::string& text) {
    ++references_;
    if (index_.find(text) != index_.end()) return;
    const std::string_view kept = owned_.emplace_back(text);
    index_.emplace(kept, static_cast<std::uint32_t>(order_.size()));
    order_.push_back(kept);
  }

  std::uint32_t of(std::string_view text) const {
    const auto it = index_.find(text);
    return it == index_.end() ? kUnknown : it->second;
  }
  const std::vector<std::string_view>& order() const { return order_; }
  std::uint32_t references() const { return references_; }

 private:
  std::unordered_map<std::string_view, std::uint32_t> index_;
  std::vector<std::string_view> order_;
  std::deque<std::string> owned_;  // a deque: the views above point into it
  std::uint32_t references_ = 0;
};

// Where the sheet's cells lie, as the DIMENSIONS record gives it: the rows
// that have cells (with a value or a format, or holes before one), and the
// columns from the first that holds a value or a format to the last cell.
struct Extent {
  int firstRow = -1, lastRow = -1, firstCol = Workbook::kMaxColumns, lastCol = -1;

  bool empty() const { return firstRow < 0; }

  // In any order of rows.
  void add(int r, const std::vector<Cell>& cells) {
    if (cells.empty()) return;
    firstRow = empty() ? r : std::min(firstRow, r);
    lastRow = std::max(lastRow, r);
    lastCol = std::max(lastCol, static_cast<int>(cells.size()) - 1);
    for (int c = 0; c < static_cast<int>(cells.size()) && c < firstCol; ++c) {
      const Cell& cell = cells[static_cast<std::size_t>(c)];
      if (cell.kind != Cell::Kind::Blank || cell.format) {
        firstCol = c;
        break;
      }
    }
  }
  // The cells of a row whose values come from elsewhere: only their
  // formats count.
  void addFormats(int r, const std::vector<Cell>& cells) {
    if (cells.empty()) return;
    Extent e;
    e.firstRow = e.lastRow = r;
    e.lastCol = static_cast<int>(cells.size()) - 1;
    for (int c = 0; c < static_cast<int>(cells.size()); ++c)
      if (cells[static_cast<std::size_t>(c)].format) {
        e.firstCol = c;
        break;
      }
    add(e);
  }
  void add(const Extent& other) {
    if (other.empty()) return;
    firstRow = empty() ? other.firstRow : std::min(firstRow, other.firstRow);
    lastRow = std::max(lastRow, other.lastRow);
    firstCol = std::min(firstCol, other.firstCol);
    lastCol = std::max(lastCol, other.lastCol);
  }
};

struct SheetSurvey {
  SharedStrings strings;
  Extent extent;
};

}  // namespace kestrav::datalog::xls
