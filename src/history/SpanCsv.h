#pragma once
// One board's cell voltages over a span as CSV (RFC 4180: comma-separated,
// CRLF line ends, UTF-8): "ISO TIME" first, ISO 8601 local time with
// milliseconds and UTC offset, then the board and one column per cell shown.

#include <ostream>
#include <vector>

#include "history/HistoryStore.h"

namespace kestrav::history {

// board is the index 0..9 (written as its number 1..10); cells is 10 or 12.
void writeSpanCsv(std::ostream& out, int board, int cells, const std::vector<CellSample>& samples);

}  // namespace kestrav::history
