#include "context/ReadingReports.h"

#include <cmath>

#include "state/HexText.h"

namespace kestrav::context {

namespace {

constexpr double kVoltsPerCode = 6.144 / 4095.0;
constexpr double kThresholdVoltsPerCode = 0.024;
constexpr unsigned kTenCellBit = 0x08;

// The stored volts came from a 12-bit code; turning them back is exact.
std::uint16_t codeOf(float volts) {
  const long code = std::lround(static_cast<double>(volts) / kVoltsPerCode);
  return static_cast<std::uint16_t>(code < 0 ? 0 : (code > 4095 ? 4095 : code));
}

std::uint8_t byteOf(const std::string& hex) {
  int value = 0;
  for (char ch : hex.substr(0, 2)) {
    const int d = state::hexDigitValue(ch);
    if (d < 0) break;
    value = value * 16 + d;
  }
  return static_cast<std::uint8_t>(value);
}

BoardSettings settingsOf(const state::BoardRecord& r) {
  BoardSettings s;
  s.tenCells = (byteOf(r.CFGRset[0]) & kTenCellBit) != 0;
  s.vuvVolts = static_cast<float>(r.VUVcode * kThresholdVoltsPerCode);
  s.vovVolts = static_cast<float>(r.VOVcode * kThresholdVoltsPerCode);
  return s;
}

}  // namespace

void reportAcceptedRead(Monitor& m, state::ReadCommand c, int board) {
  ReadingObserver* o = m.readingObserver;
  if (o == nullptr || board < 0 || board >= state::kBoards) return;
  const state::BoardStack& s = m.stack;
  const TimePoint now = m.clock.now();
  switch (c) {
    case state::ReadCommand::RDCV: {
      std::array<std::uint16_t, 12> codes{};
      for (int n = 1; n <= state::kCellsPerBoard; ++n)
        codes[static_cast<std::size_t>(n - 1)] = codeOf(s.READINGvolts[state::cellReading(board, n)]);
      o->cellsRead(now, board, codes, settingsOf(s.board[board]));
      break;
    }
    case state::ReadCommand::RDTMP: {
      std::array<std::uint16_t, 3> codes{};
      for (int t = 0; t < 3; ++t)
        codes[static_cast<std::size_t>(t)] = codeOf(s.READINGvolts[state::temperatureReading(board, t)]);
      o->temperaturesRead(now, board, codes);
      break;
    }
    case state::ReadCommand::RDFLG: {
      std::array<std::uint8_t, 3> flags{};
      for (std::size_t k = 0; k < 3; ++k) flags[k] = byteOf(s.board[board].FLGRread[k]);
      o->flagsRead(now, board, flags);
      break;
    }
    case state::ReadCommand::RDCFG: break;  // configuration is no reading of the stack
  }
}

void reportStatuses(Monitor& m) {
  ReadingObserver* o = m.readingObserver;
  if (o == nullptr) return;
  const int boards = m.stack.CARDSTACK + 1;
  o->statusesShown(m.clock.now(), boards,
                   std::span<const int>(m.stack.CELLstatus.data(),
                                        static_cast<std::size_t>(boards * state::kCellsPerBoard)));
}

}  // namespace kestrav::context
