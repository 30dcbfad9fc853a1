#pragma once
// Thins a long series for drawing without losing its extremes: a chart a
// thousand pixels wide gains nothing from 28 800 points a day, but a single
// dip of one cell must still show.

#include <cstdint>
#include <vector>

#include "history/HistoryStore.h"

namespace kestrav::history {

struct SeriesPoint {
  std::int64_t ms;  // since the epoch
  float volts;
};

// Cell `cell` (0-based) of every sample, or, when there are more than
// `maxPoints`, the lowest and the highest reading of each of maxPoints / 2
// equal slices of the time span, in time order.
std::vector<SeriesPoint> envelope(const std::vector<CellSample>& samples, int cell, std::size_t maxPoints);

}  // namespace kestrav::history
