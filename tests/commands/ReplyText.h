#pragma once
// Bridge replies to read commands, built the way the bridge lays them out:
// four characters for the address and command bytes, then each register
// byte and the PEC byte as two hex digits.

#include <cstdint>
#include <string>
#include <vector>

#include "link/Crc8.h"
#include "state/HexText.h"

namespace kestrav::test {

using Bytes = std::vector<std::uint8_t>;

inline std::uint8_t pecOf(const Bytes& bytes) { return link::crc8(bytes.data(), bytes.size()); }

inline std::string replyWithPec(const Bytes& bytes, int pec, const std::string& echo = "8104") {
  std::string s = echo;
  for (std::uint8_t b : bytes) s += state::hexByte(b);
  return s + state::hexByte(pec);
}

// A reply whose PEC the chip computed correctly.
inline std::string goodReply(const Bytes& bytes) { return replyWithPec(bytes, pecOf(bytes)); }

// `n` register bytes, varied in the first byte until their PEC is `pec`.
inline Bytes bytesWithPec(std::size_t n, int pec) {
  Bytes b(n, 0x11);
  for (int v = 0; v < 256; ++v) {
    b[0] = static_cast<std::uint8_t>(v);
    if (pecOf(b) == pec) break;
  }
  return b;
}

}  // namespace kestrav::test
