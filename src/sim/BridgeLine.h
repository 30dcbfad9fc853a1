#pragma once
// The simulator behind a modelled serial line and USB adapter: what the host
// writes reaches the bridge one character at a time at the baud rate, the
// bridge answers when a frame closes, the answer travels back at the same
// rate and the adapter holds it as LineTiming.h describes. Without a baud
// rate and a latency the answer is there the moment the command is written.

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "sim/LineTiming.h"

namespace kestrav::sim {

class Simulator;

class BridgeLine {
 public:
  using Clock = std::chrono::steady_clock;

  BridgeLine(Simulator& simulator, LineSettings settings);

  // The host wrote `bytes` at `now`.
  void hostWrote(std::string_view bytes, Clock::time_point now);
  // The answer characters that reached the host by `now`, taken off the line.
  std::string take(Clock::time_point now);
  // When the next answer characters reach the host; nothing when none are
  // on their way.
  std::optional<Clock::time_point> nextDelivery() const;
  // Forgets every answer still on its way.
  void clear();

  const LineSettings& settings() const { return settings_; }

  // Answer characters on their way are kept up to this many, like the
  // adapter's and the driver's buffers; the rest is lost.
  static constexpr std::size_t kMaxOnTheWay = 64 * 1024;

 private:
  Simulator& simulator_;
  LineSettings settings_;
  LineDuration character_;
  Clock::time_point outFree_{};   // host-to-bridge wire idle from then on
  Clock::time_point backFree_{};  // bridge-to-host wire idle from then on
  UsbHold hold_;
  std::string onTheWay_;  // answer characters scheduled in hold_, in order
};

}  // namespace kestrav::sim
