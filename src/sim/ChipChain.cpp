#include "sim/ChipChain.h"

#include <algorithm>
#include <random>

#include "sim/Simulator.h"

namespace kestrav::sim {

std::vector<std::uint8_t> chipAddresses(const SimOptions& options) {
  std::vector<std::uint8_t> out;
  if (!options.addresses.empty()) {
    for (int a : options.addresses)
      if (a >= 0x80 && a <= 0x8F) out.push_back(static_cast<std::uint8_t>(a));
    return out;
  }
  const int n = std::clamp(options.boards, 0, 15);
  for (int i = 0; i < n; ++i) out.push_back(static_cast<std::uint8_t>(0x81 + i));
  return out;
}

ChipChain::ChipChain(const SimOptions& options) {
  const std::vector<std::uint8_t> addresses = chipAddresses(options);
  chips_.reserve(addresses.size());
  for (std::size_t i = 0; i < addresses.size(); ++i) {
    BatteryParams params;
    params.nominalVolts = options.cellVolts;
    for (const OpenWire& w : options.openWires)
      if (w.board == static_cast<int>(i) && w.cell >= 1 && w.cell <= kCells)
        params.openWires = static_cast<std::uint16_t>(params.openWires | (1u << (w.cell - 1)));
    // Each board gets its own stream, derived from the run's seed.
    std::seed_seq seq{options.seed, static_cast<std::uint32_t>(i), 0x4B45u};
    std::uint32_t chipSeed = 0;
    seq.generate(&chipSeed, &chipSeed + 1);
    chips_.emplace_back(addresses[i], params, chipSeed);
  }
}

void ChipChain::beginFrame() {
  for (Chip& c : chips_) c.beginFrame();
}

std::uint8_t ChipChain::clock(std::uint8_t mosi) {
  std::uint8_t miso = 0xFF;
  for (Chip& c : chips_) miso &= c.clock(mosi);
  return miso;
}

void ChipChain::endFrame() {
  for (Chip& c : chips_) c.endFrame();
}

void ChipChain::abortFrame() {
  for (Chip& c : chips_) c.abortFrame();
}

}  // namespace kestrav::sim
