#pragma once
// What an accepted read brought in, reported to whoever keeps a history of
// the stack. The read routines report after they stored a reading; nothing
// they do depends on whether anybody listens.

#include <array>
#include <chrono>
#include <cstdint>
#include <span>

namespace kestrav::context {

using TimePoint = std::chrono::system_clock::time_point;

// The board's settings that give its cell readings their meaning.
struct BoardSettings {
  bool tenCells = false;  // CFGR0 bit 3: cells 11 and 12 are not measured
  float vuvVolts = 0.0f;  // under-voltage threshold
  float vovVolts = 0.0f;  // over-voltage threshold
};

class ReadingObserver {
 public:
  virtual ~ReadingObserver() = default;
  // Raw 12-bit codes (code x 6.144 / 4095 volts), cells 1..12.
  virtual void cellsRead(TimePoint t, int board, const std::array<std::uint16_t, 12>& codes,
                         const BoardSettings& settings) = 0;
  // ETMP1, ETMP2, ITMP as 12-bit codes on the same scale as the cells.
  virtual void temperaturesRead(TimePoint t, int board, const std::array<std::uint16_t, 3>& codes) = 0;
  // FLGR0..FLGR2.
  virtual void flagsRead(TimePoint t, int board, const std::array<std::uint8_t, 3>& flags) = 0;
  // The cell statuses of boards 0..boards-1 as just painted (12 per board).
  virtual void statusesShown(TimePoint t, int boards, std::span<const int> statuses) = 0;
};

}  // namespace kestrav::context
