#pragma once
// The twenty columns a board contributes to every sample row, shared by the
// workbook and the journal so both name them alike.

#include <array>
#include <string>

namespace kestrav::datalog {

inline constexpr int kColumnsPerBoard = 20;

// A column's title (after the "(n) " prefix) and its unit.
struct ColumnHeader {
  std::string title;
  const char* unit;
};

// Columns 1..20 of a board's sample, in order, as index 0..19.
const std::array<ColumnHeader, kColumnsPerBoard>& boardColumnHeaders();

// The title with the board prefix: "(3) RD-FLGR0-2" for board index 2, j 1.
std::string boardColumnTitle(int board, int j);

}  // namespace kestrav::datalog
