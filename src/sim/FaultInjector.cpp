#include "sim/FaultInjector.h"

#include <algorithm>

#include "sim/Registers.h"
#include "sim/Simulator.h"

namespace kestrav::sim {

namespace {
double share(double s) { return std::clamp(s, 0.0, 1.0); }
}  // namespace

FaultInjector::FaultInjector(const SimOptions& options)
    : corrupt_(share(options.corruptShare)),
      short_(share(options.shortShare)),
      drop_(share(options.dropShare)),
      unplugAfter_(options.unplugAfter),
      rng_(options.seed ^ 0x9E3779B9u) {}

void FaultInjector::setShares(double corrupt, double shortShare, double drop) {
  corrupt_ = share(corrupt);
  short_ = share(shortShare);
  drop_ = share(drop);
}

bool FaultInjector::unplugged() const { return unplugAfter_ >= 0 && served_ >= unplugAfter_; }

bool FaultInjector::serve() {
  if (unplugged()) return false;
  ++served_;
  return true;
}

std::size_t FaultInjector::shape(std::uint8_t first, std::uint8_t second, std::vector<ReplyByte>& reply) {
  const std::size_t full = 2 * reply.size();
  const int commandAt = isAddressByte(first) ? 1 : 0;
  const int registers = readRegisterCount(commandAt == 1 ? second : first);
  if (registers == 0 || reply.empty()) return full;

  // One draw per read reply decides its fate, so the shares hold exactly
  // in the long run and the three faults never overlap.
  const double u = std::uniform_real_distribution<double>(0.0, 1.0)(rng_);
  if (u < drop_) return 0;
  if (u < drop_ + short_) {
    if (full < 2) return full;
    return std::uniform_int_distribution<std::size_t>(1, full - 1)(rng_);
  }
  if (u < drop_ + short_ + corrupt_) {
    std::vector<std::size_t> candidates;
    for (std::size_t i = 0; i < reply.size(); ++i)
      if (reply[i].clock > commandAt && reply[i].clock <= commandAt + registers) candidates.push_back(i);
    if (candidates.empty()) return full;
    const std::size_t pick = std::uniform_int_distribution<std::size_t>(0, candidates.size() - 1)(rng_);
    // A nonzero XOR within one byte always changes the CRC-8.
    const auto flip = static_cast<std::uint8_t>(std::uniform_int_distribution<int>(1, 255)(rng_));
    reply[candidates[pick]].value ^= flip;
  }
  return full;
}

}  // namespace kestrav::sim
