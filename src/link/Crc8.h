#pragma once
// CRC-8 of the monitor chip's packet error code: polynomial x^8+x^2+x+1
// (0x07), initial value 0, most significant bit first, no reflection, no
// final XOR (the SMBus PEC). Header-only and free of other project headers,
// so the simulator can share it.

#include <array>
#include <cstddef>
#include <cstdint>

namespace kestrav::link {

using Crc8Table = std::array<std::uint8_t, 256>;

// Entry i: i shifted left eight times, XOR-ing 0x07 in whenever a 1 falls
// out of the top bit.
constexpr Crc8Table makeCrc8Table() {
  Crc8Table table{};
  for (int i = 0; i < 256; ++i) {
    unsigned r = static_cast<unsigned>(i);
    for (int bit = 0; bit < 8; ++bit) r = (r & 0x80u) ? ((r << 1) ^ 0x07u) & 0xFFu : (r << 1) & 0xFFu;
    table[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(r);
  }
  return table;
}

inline constexpr Crc8Table kCrc8Table = makeCrc8Table();

constexpr std::uint8_t crc8(const std::uint8_t* data, std::size_t n, const Crc8Table& table = kCrc8Table) {
  std::uint8_t pec = 0;
  for (std::size_t i = 0; i < n; ++i) pec = table[pec ^ data[i]];
  return pec;
}

}  // namespace kestrav::link
