#include "history/HistoryStore.h"

#include <algorithm>
#include <chrono>

namespace kestrav::history {

namespace {

std::int64_t msOf(TimePoint t) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(t.time_since_epoch()).count();
}
TimePoint timeOf(std::int64_t ms) { return TimePoint(std::chrono::milliseconds(ms)); }

bool validBoard(int board) { return board >= 0 && board < kHistoryBoards; }

}  // namespace

float voltsOfCode(std::uint16_t code) { return static_cast<float>(code * 6.144 / 4095.0); }

HistoryStore::HistoryStore(std::size_t pointsPerKind)
    : cells_(pointsPerKind), temperatures_(pointsPerKind), flags_(pointsPerKind), statusChanges_(pointsPerKind) {}

void HistoryStore::cellsRead(TimePoint t, int board, const std::array<std::uint16_t, 12>& codes,
                             const context::BoardSettings& settings) {
  if (!validBoard(board)) return;
  const CellPoint p{msOf(t), codes, static_cast<std::uint8_t>(board), settings.tenCells};
  std::lock_guard lock(mutex_);
  cells_.push(p);
  settings_[static_cast<std::size_t>(board)] = settings;
  latestCells_[static_cast<std::size_t>(board)] = sampleOf(p);
  ++revision_;
}

void HistoryStore::temperaturesRead(TimePoint t, int board, const std::array<std::uint16_t, 3>& codes) {
  if (!validBoard(board)) return;
  std::lock_guard lock(mutex_);
  temperatures_.push({msOf(t), codes, static_cast<std::uint8_t>(board)});
  ++revision_;
}

void HistoryStore::flagsRead(TimePoint t, int board, const std::array<std::uint8_t, 3>& flags) {
  if (!validBoard(board)) return;
  std::lock_guard lock(mutex_);
  flags_.push({msOf(t), flags, static_cast<std::uint8_t>(board)});
  ++revision_;
}

void HistoryStore::statusesShown(TimePoint t, int boards, std::span<const int> statuses) {
  boards = std::clamp(boards, 0, kHistoryBoards);
  std::lock_guard lock(mutex_);
  for (int b = 0; b < boards; ++b) {
    if (statuses.size() < static_cast<std::size_t>((b + 1) * 12)) break;
    std::array<std::uint8_t, 12> now{};
    for (std::size_t n = 0; n < 12; ++n)
      now[n] = static_cast<std::uint8_t>(std::clamp(statuses[static_cast<std::size_t>(b) * 12 + n], 0, 255));
    auto& present = statuses_[static_cast<std::size_t>(b)];
    if (now == present) continue;  // painted every step; kept only when it changed
    present = now;
    statusChanges_.push({msOf(t), now, static_cast<std::uint8_t>(b)});
    ++revision_;
  }
}

CellSample HistoryStore::sampleOf(const CellPoint& p) {
  CellSample s;
  s.time = timeOf(p.ms);
  s.tenCells = p.tenCells;
  for (std::size_t n = 0; n < 12; ++n) s.volts[n] = voltsOfCode(p.codes[n]);
  return s;
}

std::vector<CellSample> HistoryStore::cells(int board, TimePoint from, TimePoint to) const {
  std::vector<CellSample> out;
  const std::int64_t lo = msOf(from), hi = msOf(to);
  std::lock_guard lock(mutex_);
  // A plain scan rather than a search by time: a clock set back must not
  // hide the readings that came after it.
  for (std::size_t i = 0; i < cells_.size(); ++i) {
    const CellPoint& p = cells_[i];
    if (p.board == board && p.ms >= lo && p.ms <= hi) out.push_back(sampleOf(p));
  }
  return out;
}

std::vector<TemperatureSample> HistoryStore::temperatures(int board, TimePoint from, TimePoint to) const {
  std::vector<TemperatureSample> out;
  const std::int64_t lo = msOf(from), hi = msOf(to);
  std::lock_guard lock(mutex_);
  for (std::size_t i = 0; i < temperatures_.size(); ++i) {
    const TemperaturePoint& p = temperatures_[i];
    if (p.board != board || p.ms < lo || p.ms > hi) continue;
    TemperatureSample s;
    s.time = timeOf(p.ms);
    for (std::size_t k = 0; k < 3; ++k) s.volts[k] = voltsOfCode(p.codes[k]);
    out.push_back(s);
  }
  return out;
}

std::vector<FlagSample> HistoryStore::flags(int board, TimePoint from, TimePoint to) const {
  std::vector<FlagSample> out;
  const std::int64_t lo = msOf(from), hi = msOf(to);
  std::lock_guard lock(mutex_);
  for (std::size_t i = 0; i < flags_.size(); ++i) {
    const FlagPoint& p = flags_[i];
    if (p.board == board && p.ms >= lo && p.ms <= hi) out.push_back({timeOf(p.ms), p.flags});
  }
  return out;
}

void HistoryStore::summarise(const CellSample& s, BoardSummary& into) {
  const int n = s.cells();
  into.lowestCell = into.highestCell = 1;
  into.lowest = into.highest = s.volts[0];
  double total = 0;
  for (int c = 0; c < n; ++c) {
    const float v = s.volts[static_cast<std::size_t>(c)];
    total += v;
    if (v < into.lowest) into.lowest = v, into.lowestCell = c + 1;
    if (v > into.highest) into.highest = v, into.highestCell = c + 1;
  }
  into.total = static_cast<float>(total);
  into.mean = static_cast<float>(total / n);
  into.time = s.time;
}

std::vector<BoardSummary> HistoryStore::summaries(TimePoint from, TimePoint to) const {
  std::vector<BoardSummary> out(kHistoryBoards);
  std::array<double, kHistoryBoards> sums{};
  std::array<std::size_t, kHistoryBoards> cellsCounted{};
  const std::int64_t lo = msOf(from), hi = msOf(to);
  std::lock_guard lock(mutex_);
  for (int b = 0; b < kHistoryBoards; ++b) {
    out[static_cast<std::size_t>(b)].board = b;
    if (const auto& latest = latestCells_[static_cast<std::size_t>(b)]) {
      out[static_cast<std::size_t>(b)].hasReading = true;
      summarise(*latest, out[static_cast<std::size_t>(b)]);
    }
  }
  for (std::size_t i = 0; i < cells_.size(); ++i) {
    const CellPoint& p = cells_[i];
    if (p.ms < lo || p.ms > hi) continue;
    BoardSummary& s = out[p.board];
    const int n = p.tenCells ? 10 : 12;
    const auto [mn, mx] = std::minmax_element(p.codes.begin(), p.codes.begin() + n);
    const float lowV = voltsOfCode(*mn), highV = voltsOfCode(*mx);
    if (s.count == 0 || lowV < s.spanMin) s.spanMin = lowV;
    if (s.count == 0 || highV > s.spanMax) s.spanMax = highV;
    s.spanMaxSpreadMv = std::max(s.spanMaxSpreadMv, (highV - lowV) * 1000.0f);
    for (int c = 0; c < n; ++c) sums[p.board] += voltsOfCode(p.codes[static_cast<std::size_t>(c)]);
    cellsCounted[p.board] += static_cast<std::size_t>(n);
    ++s.count;
  }
  for (std::size_t b = 0; b < out.size(); ++b)
    if (cellsCounted[b] > 0) out[b].spanMean = static_cast<float>(sums[b] / static_cast<double>(cellsCounted[b]));
  return out;
}

std::optional<float> HistoryStore::stackTotal() const {
  std::lock_guard lock(mutex_);
  std::optional<float> total;
  for (const auto& latest : latestCells_) {
    if (!latest) continue;
    BoardSummary s;
    summarise(*latest, s);
    total = total.value_or(0.0f) + s.total;
  }
  return total;
}

std::optional<context::BoardSettings> HistoryStore::settings(int board) const {
  if (!validBoard(board)) return std::nullopt;
  std::lock_guard lock(mutex_);
  return settings_[static_cast<std::size_t>(board)];
}

std::array<int, 12> HistoryStore::statuses(int board) const {
  std::array<int, 12> out{};
  if (!validBoard(board)) return out;
  std::lock_guard lock(mutex_);
  for (std::size_t n = 0; n < 12; ++n) out[n] = statuses_[static_cast<std::size_t>(board)][n];
  return out;
}

std::optional<TimePoint> HistoryStore::oldest() const {
  std::lock_guard lock(mutex_);
  if (cells_.size() == 0) return std::nullopt;
  return timeOf(cells_[0].ms);
}

std::uint64_t HistoryStore::revision() const {
  std::lock_guard lock(mutex_);
  return revision_;
}

std::size_t HistoryStore::cellPointCount() const {
  std::lock_guard lock(mutex_);
  return cells_.size();
}

std::size_t HistoryStore::bytesReserved() const {
  std::lock_guard lock(mutex_);
  return cells_.bytesReserved() + temperatures_.bytesReserved() + flags_.bytesReserved() +
         statusChanges_.bytesReserved();
}

std::size_t HistoryStore::bytesAtCapacity() const {
  return cells_.capacity() * sizeof(CellPoint) + temperatures_.capacity() * sizeof(TemperaturePoint) +
         flags_.capacity() * sizeof(FlagPoint) + statusChanges_.capacity() * sizeof(StatusPoint);
}

}  // namespace kestrav::history
