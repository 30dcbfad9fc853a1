#pragma once
// The history of every accepted reading of the stack: cell voltages,
// temperatures, flags and the cell statuses as painted, per board, with the
// time of the read. Fed from the core thread through context::ReadingObserver,
// queried from the windows' thread; every member is safe to call from both.
//
// Bounded: each kind of point has a ring of its own, sized so that all of
// them together stay under 32 MiB and each holds more than a day of a
// ten-board cycle (one read of a kind per board every three 100 ms steps).

#include <array>
#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

#include "context/ReadingObserver.h"
#include "history/BoundedRing.h"
#include "state/BoardStack.h"

namespace kestrav::history {

using context::TimePoint;

inline constexpr std::size_t kDefaultPointsPerKind = 330'000;
inline constexpr std::size_t kMaxHistoryBytes = 32u * 1024u * 1024u;
inline constexpr int kHistoryBoards = state::kBoards;

struct CellSample {
  TimePoint time;
  std::array<float, 12> volts{};
  bool tenCells = false;  // cells 11 and 12 were not measured
  int cells() const { return tenCells ? 10 : 12; }
};

struct TemperatureSample {
  TimePoint time;
  std::array<float, 3> volts{};  // ETMP1, ETMP2, ITMP
};

struct FlagSample {
  TimePoint time;
  std::array<std::uint8_t, 3> flags{};
};

// One board's latest reading, and what its readings did over a span.
struct BoardSummary {
  int board = 0;
  bool hasReading = false;  // a cell reading exists at all
  // Latest cell reading.
  TimePoint time;
  int lowestCell = 0, highestCell = 0;  // 1..12
  float lowest = 0, highest = 0, mean = 0, total = 0;
  float spreadMv() const { return (highest - lowest) * 1000.0f; }
  // Over the span asked for (count 0 when no reading fell into it).
  std::size_t count = 0;
  float spanMin = 0, spanMax = 0, spanMean = 0, spanMaxSpreadMv = 0;
};

class HistoryStore : public context::ReadingObserver {
 public:
  explicit HistoryStore(std::size_t pointsPerKind = kDefaultPointsPerKind);

  void cellsRead(TimePoint t, int board, const std::array<std::uint16_t, 12>& codes,
                 const context::BoardSettings& settings) override;
  void temperaturesRead(TimePoint t, int board, const std::array<std::uint16_t, 3>& codes) override;
  void flagsRead(TimePoint t, int board, const std::array<std::uint8_t, 3>& flags) override;
  void statusesShown(TimePoint t, int boards, std::span<const int> statuses) override;

  // One board's cell readings with from <= time <= to, oldest first.
  std::vector<CellSample> cells(int board, TimePoint from, TimePoint to) const;
  std::vector<TemperatureSample> temperatures(int board, TimePoint from, TimePoint to) const;
  std::vector<FlagSample> flags(int board, TimePoint from, TimePoint to) const;

  // Every board 0..9, in order.
  std::vector<BoardSummary> summaries(TimePoint from, TimePoint to) const;
  // Sum of the latest totals of every board that has a reading.
  std::optional<float> stackTotal() const;

  std::optional<context::BoardSettings> settings(int board) const;
  // The present status code of each cell of a board (0 NR when never shown).
  std::array<int, 12> statuses(int board) const;
  // The time of the oldest cell reading still kept.
  std::optional<TimePoint> oldest() const;

  // Changes with every point fed; a view redraws only when it moved.
  std::uint64_t revision() const;
  std::size_t cellPointCount() const;
  // Memory the rings hold now, and the most they can ever hold.
  std::size_t bytesReserved() const;
  std::size_t bytesAtCapacity() const;

 private:
  struct CellPoint {
    std::int64_t ms;
    std::array<std::uint16_t, 12> codes;
    std::uint8_t board;
    bool tenCells;
  };
  struct TemperaturePoint {
    std::int64_t ms;
    std::array<std::uint16_t, 3> codes;
    std::uint8_t board;
  };
  struct FlagPoint {
    std::int64_t ms;
    std::array<std::uint8_t, 3> flags;
    std::uint8_t board;
  };
  struct StatusPoint {
    std::int64_t ms;
    std::array<std::uint8_t, 12> statuses;
    std::uint8_t board;
  };

  static CellSample sampleOf(const CellPoint& p);
  static void summarise(const CellSample& s, BoardSummary& into);

  mutable std::mutex mutex_;
  BoundedRing<CellPoint> cells_;
  BoundedRing<TemperaturePoint> temperatures_;
  BoundedRing<FlagPoint> flags_;
  BoundedRing<StatusPoint> statusChanges_;  // only when a board's statuses changed
  std::array<std::optional<context::BoardSettings>, kHistoryBoards> settings_{};
  std::array<std::optional<CellSample>, kHistoryBoards> latestCells_{};
  std::array<std::array<std::uint8_t, 12>, kHistoryBoards> statuses_{};
  std::uint64_t revision_ = 0;
};

// Volts of a 12-bit reading code.
float voltsOfCode(std::uint16_t code);

}  // namespace kestrav::history
