#include "datalog/SampleColumns.h"

namespace kestrav::datalog {

const std::array<ColumnHeader, kColumnsPerBoard>& boardColumnHeaders() {
  static const std::array<ColumnHeader, kColumnsPerBoard> headers = [] {
    std::array<ColumnHeader, kColumnsPerBoard> h{};
    h[0] = {"RD-CFGR0-5", "HEX"};
    h[1] = {"RD-FLGR0-2", "HEX"};
    h[2] = {"UVTHR", "VOLTS"};
    h[3] = {"OVTHR", "VOLTS"};
    for (int c = 1; c <= 12; ++c) h[static_cast<std::size_t>(3 + c)] = {"CV " + std::to_string(c), "VOLTS"};
    h[16] = {"CELL1 - CELL12 STATUS", "STATUS"};
    h[17] = {"ETMP1", "VOLTS"};
    h[18] = {"ETMP2", "VOLTS"};
    h[19] = {"ITMP1", "VOLTS"};
    return h;
  }();
  return headers;
}

std::string boardColumnTitle(int board, int j) {
  return "(" + std::to_string(board + 1) + ") " + boardColumnHeaders()[static_cast<std::size_t>(j - 1)].title;
}

}  // namespace kestrav::datalog
