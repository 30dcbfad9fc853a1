#pragma once
// Little-endian appends to a growing byte buffer: the one way the workbook
// writer and the compound file lay out their binary fields.

#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

namespace kestrav::datalog::xls {

using Bytes = std::vector<std::uint8_t>;

inline void putU8(Bytes& b, unsigned v) { b.push_back(static_cast<std::uint8_t>(v)); }

inline void putU16(Bytes& b, unsigned v) {
  b.push_back(static_cast<std::uint8_t>(v));
  b.push_back(static_cast<std::uint8_t>(v >> 8));
}

inline void putU32(Bytes& b, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

inline void putU64(Bytes& b, std::uint64_t v) {
  for (int i = 0; i < 8; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

// An IEEE 754 double, as every little-endian platform we build for holds it.
inline void putF64(Bytes& b, double v) {
  std::uint64_t bits;
  static_assert(sizeof bits == sizeof v);
  std::memcpy(&bits, &v, sizeof bits);
  putU64(b, bits);
}

inline void putZeros(Bytes& b, std::size_t n) { b.insert(b.end(), n, 0); }

// Overwrites four bytes already written, at `at`.
inline void patchU32(Bytes& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}

}  // namespace kestrav::datalog::xls
