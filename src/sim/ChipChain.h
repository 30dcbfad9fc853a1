#pragma once
// The boards' shared SPI bus: every chip sees every byte; MISO is open
// drain with a pull-up, so the bus reads the AND of what the chips drive
// and 0xFF when nobody drives (an absent address reads as all ones).

#include <cstdint>
#include <vector>

#include "sim/Chip.h"

namespace kestrav::sim {

struct OpenWire;
struct SimOptions;

class ChipChain {
 public:
  explicit ChipChain(const SimOptions& options);

  void beginFrame();
  std::uint8_t clock(std::uint8_t mosi);
  void endFrame();
  void abortFrame();

  std::size_t size() const { return chips_.size(); }
  const Chip& chip(std::size_t i) const { return chips_.at(i); }
  Chip& chip(std::size_t i) { return chips_.at(i); }

 private:
  std::vector<Chip> chips_;
};

// The bus addresses the options describe: `addresses` when given (entries
// outside 0x80..0x8F are left out), else `boards` chips at 0x81, 0x82, ...
// (at most 15, up to 0x8F).
std::vector<std::uint8_t> chipAddresses(const SimOptions& options);

}  // namespace kestrav::sim
