#include "sim/BridgeLine.h"

#include <algorithm>

#include "sim/Simulator.h"

namespace kestrav::sim {

BridgeLine::BridgeLine(Simulator& simulator, LineSettings settings)
    : simulator_(simulator),
      settings_(settings),
      character_(characterTime(settings.baud)),
      hold_(std::chrono::milliseconds(std::max(0, settings.usbLatencyMs))) {}

void BridgeLine::hostWrote(std::string_view bytes, Clock::time_point now) {
  for (const char c : bytes) {
    const Clock::time_point arrived = std::max(now, outFree_) + character_;
    outFree_ = arrived;
    // One character at a time, so that an answer leaves when the character
    // that closed its frame has arrived, not when the whole write has.
    for (const char a : simulator_.process(std::string_view(&c, 1))) {
      if (onTheWay_.size() >= kMaxOnTheWay) break;
      const Clock::time_point landed = std::max(arrived, backFree_) + character_;
      backFree_ = landed;
      hold_.schedule(landed.time_since_epoch());
      onTheWay_ += a;
    }
  }
}

std::string BridgeLine::take(Clock::time_point now) {
  const std::size_t n = std::min(hold_.advance(now.time_since_epoch()), onTheWay_.size());
  std::string delivered = onTheWay_.substr(0, n);
  onTheWay_.erase(0, n);
  return delivered;
}

std::optional<BridgeLine::Clock::time_point> BridgeLine::nextDelivery() const {
  const std::optional<LineDuration> t = hold_.nextDelivery();
  if (!t) return std::nullopt;
  return Clock::time_point(std::chrono::duration_cast<Clock::duration>(*t));
}

void BridgeLine::clear() {
  hold_.clear();
  onTheWay_.clear();
}

}  // namespace kestrav::sim
