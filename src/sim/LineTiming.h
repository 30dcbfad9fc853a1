#pragma once
// Time on the wire between the host and the bridge behind a USB serial
// adapter of the FTDI kind: every character takes 10 bits (start, 8 data,
// stop) at the baud rate, in each direction, and the adapter holds what the
// bridge answers until its latency timer runs out or a USB packet's worth
// (62 characters) waits. Standard library only, so that transports and
// benchmarks can measure themselves against the same arithmetic the
// simulator plays.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>

namespace kestrav::sim {

using LineDuration = std::chrono::nanoseconds;

struct LineSettings {
  int baud = 0;          // 0: characters take no time on the wire
  int usbLatencyMs = 0;  // 0: the adapter holds nothing back
};

// The bridge of the simulator as a bench meets it: 115200 Bd behind an FTDI
// adapter with its latency timer at 2 ms.
inline constexpr int kUsbBridgeBaud = 115200;
inline constexpr int kUsbBridgeLatencyMs = 2;

inline constexpr int kBitsPerCharacter = 10;
// A full-speed USB packet carries 64 bytes, two of them the adapter's status.
inline constexpr std::size_t kUsbPacketCharacters = 62;

constexpr LineDuration characterTime(int baud) {
  return baud > 0 ? LineDuration(std::int64_t{kBitsPerCharacter} * 1'000'000'000 / baud) : LineDuration::zero();
}

// The characters of a transaction on the wire: the command out, then the
// answer back (the bridge answers when the frame closes).
constexpr LineDuration lineTime(std::size_t written, std::size_t answered, int baud) {
  return characterTime(baud) * static_cast<std::int64_t>(written + answered);
}

// The adapter's receive side. Characters land from the wire at scheduled
// times; the first one into an empty buffer starts the latency timer, and
// the buffer goes to the host when the timer runs out or when it holds a
// packet's worth. Times are durations since any fixed origin.
class UsbHold {
 public:
  explicit UsbHold(LineDuration latency) : latency_(latency) {}

  // A character that lands at `t`, no earlier than the one scheduled before.
  void schedule(LineDuration t) { landings_.push_back(t); }

  // Moves on to `now`; returns how many characters (in the order scheduled)
  // reached the host by then.
  std::size_t advance(LineDuration now) {
    std::size_t delivered = 0;
    for (;;) {
      const bool landingDue = !landings_.empty() && landings_.front() <= now;
      if (waiting_ > 0 && timerEnd_ <= now && (!landingDue || timerEnd_ <= landings_.front())) {
        delivered += waiting_;
        waiting_ = 0;
        continue;
      }
      if (!landingDue) return delivered;
      if (waiting_ == 0) timerEnd_ = landings_.front() + latency_;
      landings_.pop_front();
      if (++waiting_ == kUsbPacketCharacters) {
        delivered += waiting_;
        waiting_ = 0;
      }
    }
  }

  // When the next characters reach the host; nothing when none are on their way.
  std::optional<LineDuration> nextDelivery() const {
    std::size_t held = waiting_;
    LineDuration end = timerEnd_;
    auto next = landings_.begin();
    if (held == 0) {
      if (next == landings_.end()) return std::nullopt;
      end = *next + latency_;
    }
    for (; next != landings_.end() && *next < end; ++next)
      if (++held == kUsbPacketCharacters) return *next;
    return end;
  }

  void clear() {
    landings_.clear();
    waiting_ = 0;
  }

 private:
  LineDuration latency_;
  std::deque<LineDuration> landings_;  // scheduled, still on the wire
  std::size_t waiting_ = 0;            // landed, held in the adapter
  LineDuration timerEnd_{};
};

// From the first character written to the last answer character in the
// host's hands, on an idle line: the line time and the adapter's hold.
inline LineDuration transactionTime(std::size_t written, std::size_t answered, LineSettings s) {
  const LineDuration c = characterTime(s.baud);
  const LineDuration sent = c * static_cast<std::int64_t>(written);
  UsbHold hold(std::chrono::milliseconds(s.usbLatencyMs));
  for (std::size_t k = 1; k <= answered; ++k) hold.schedule(sent + c * static_cast<std::int64_t>(k));
  LineDuration last = sent;
  while (const std::optional<LineDuration> t = hold.nextDelivery()) {
    last = *t;
    hold.advance(*t);
  }
  return last;
}

}  // namespace kestrav::sim
