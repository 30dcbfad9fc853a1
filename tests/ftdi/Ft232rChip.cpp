#include "ftdi/Ft232rChip.h"

#include <algorithm>

namespace kestrav::test {

namespace {

// The FTDI vendor requests (bRequest).
constexpr std::uint8_t kReset = 0x00;
constexpr std::uint8_t kSetFlowControl = 0x02;
constexpr std::uint8_t kSetBaudRate = 0x03;
constexpr std::uint8_t kSetData = 0x04;
constexpr std::uint8_t kPollModemStatus = 0x05;
constexpr std::uint8_t kSetLatencyTimer = 0x09;
constexpr std::uint8_t kGetLatencyTimer = 0x0A;

// wValue of a reset: the whole chip, or one of its two FIFOs (named, as
// libftdi names them, from the host's side).
constexpr std::uint16_t kResetChip = 0;
constexpr std::uint16_t kPurgeToHost = 2;

// Characters kept waiting at most. The real chip's buffer holds 256 and
// overflows only when the host stops reading, which no test here makes it
// do; the bound only keeps a runaway test from growing without end.
constexpr std::size_t kReceiveBuffer = 64 * 1024;

}  // namespace

Ft232rChip::Ft232rChip(Uart uart) : uart_(std::move(uart)) {}

Ft232rChip::Clock::duration Ft232rChip::characterTime() const {
  return std::chrono::nanoseconds(10LL * 1000000000LL / std::max(baud_, 1));
}

int Ft232rChip::baudOfDivisor(std::uint16_t value, std::uint16_t index) {
  // A 14-bit whole part and a three-bit code for eighths, the code's top bit
  // in wIndex; 0 and 1 are the special cases 3 MBd and 2 MBd.
  static constexpr int kEighths[8] = {0, 4, 2, 1, 3, 5, 6, 7};
  const int code = (value >> 14) | ((index & 1) << 2);
  const int whole = value & 0x3FFF;
  if (whole == 0 && code == 0) return 3000000;
  if (whole == 1 && code == 0) return 2000000;
  const int eighths = whole * 8 + kEighths[code];
  return (3000000 * 8 + eighths / 2) / eighths;
}

void Ft232rChip::purgeToHost(Time now) {
  // Characters still on their way from the bridge arrive after the purge.
  std::erase_if(toHost_, [&](const Arrival& a) { return a.at <= now; });
}

std::string Ft232rChip::control(const ControlRequest& r, std::uint16_t length, Time now) {
  requests_.push_back(r);
  std::string answer;
  switch (r.request) {
    case kReset:
      if (r.value == kResetChip || r.value == kPurgeToHost) purgeToHost(now);
      break;
    case kSetFlowControl:
      flowControl_ = static_cast<std::uint16_t>(r.index >> 8);
      break;
    case kSetBaudRate:
      baud_ = baudOfDivisor(r.value, r.index);
      break;
    case kSetData:
      lineSettings_ = r.value;
      break;
    case kSetLatencyTimer:
      latencyMs_ = std::max(r.value & 0xFF, 1);
      break;
    case kGetLatencyTimer:
      answer.push_back(static_cast<char>(latencyMs_));
      break;
    case kPollModemStatus:
      answer = {static_cast<char>(kStatus0), static_cast<char>(kStatus1)};
      break;
    default:
      break;
  }
  if (answer.size() > length) answer.resize(length);
  return answer;
}

void Ft232rChip::hostWrote(std::string_view bytes, Time now) {
  written_ += bytes;
  const auto character = characterTime();
  for (const char c : bytes) {
    const Time sent = std::max(now, toBridgeFree_) + character;
    toBridgeFree_ = sent;
    // The bridge answers once it has the whole character; its answer
    // follows on the other line, one character time each.
    for (const char a : uart_(std::string_view(&c, 1))) {
      const Time arrives = std::max(sent + answerDelay_, fromBridgeFree_) + character;
      fromBridgeFree_ = arrives;
      if (toHost_.size() < kReceiveBuffer) toHost_.push_back({arrives, a});  // a full buffer drops it
    }
  }
}

bool Ft232rChip::fill(InTransfer& t, Time now) {
  const auto latency = std::chrono::milliseconds(latencyMs_);
  auto appendPacket = [&](std::size_t count, Time at) {
    t.data.push_back(static_cast<char>(kStatus0));
    t.data.push_back(static_cast<char>(kStatus1));
    for (std::size_t i = 0; i < count; ++i) t.data.push_back(toHost_[i].byte);
    toHost_.erase(toHost_.begin(), toHost_.begin() + static_cast<std::ptrdiff_t>(count));
    packets_.push_back(count);
    lastPacket_ = at;
  };
  for (;;) {
    if (t.data.size() + 2 > t.capacity) return true;  // no room for another packet
    const std::size_t room = std::min(kPacketData, t.capacity - t.data.size() - 2);
    if (toHost_.size() >= room) {
      const Time at = std::max(toHost_[room - 1].at, t.posted);
      if (at <= now && room == kPacketData) {
        appendPacket(room, at);
        continue;  // a full packet: the transfer goes on
      }
    }
    const Time expiry = std::max(lastPacket_ + latency, t.posted);
    if (expiry > now) return false;
    std::size_t arrived = 0;
    while (arrived < toHost_.size() && arrived < room && toHost_[arrived].at <= expiry) ++arrived;
    appendPacket(arrived, expiry);
    return true;
  }
}

}  // namespace kestrav::test
