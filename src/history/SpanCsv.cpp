#include "history/SpanCsv.h"

#include <cstdio>

#include "history/IsoTime.h"

namespace kestrav::history {

void writeSpanCsv(std::ostream& out, int board, int cells, const std::vector<CellSample>& samples) {
  out << "ISO TIME,BOARD";
  for (int c = 1; c <= cells; ++c) out << ",CELL" << c;
  out << "\r\n";
  for (const CellSample& s : samples) {
    out << isoLocalTime(s.time) << ',' << board + 1;
    for (int c = 0; c < cells; ++c) {
      char value[16];
      // A cell a reading did not measure (ten-cell mode) stays empty.
      if (c < s.cells()) std::snprintf(value, sizeof value, "%.4f", static_cast<double>(s.volts[static_cast<std::size_t>(c)]));
      else value[0] = '\0';
      out << ',' << value;
    }
    out << "\r\n";
  }
}

}  // namespace kestrav::history
