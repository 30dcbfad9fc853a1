#pragma once
// The USB side of an FT232R USB-to-UART chip, with a bridge on its UART,
// as seen from the host: the vendor control requests it obeys, the bytes
// the host writes leaving on the line one character time each, and the
// bulk-in packets it hands back (64 bytes: 2 modem-status bytes, then up to
// 62 data bytes).
//
// The chip sends a full packet as soon as 62 data bytes wait, and otherwise
// a short one (status bytes and whatever waits, possibly nothing) when its
// latency timer runs out; the timer restarts with every packet. A bulk-in
// transfer the host posts collects full packets and ends with the first
// short one, as a USB host controller ends a bulk transfer.
//
// Time is passed in, so the model itself is deterministic; the emulated
// device feeds it the real clock.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrav::test {

class Ft232rChip {
 public:
  using Clock = std::chrono::steady_clock;
  using Time = Clock::time_point;

  // What is wired to the UART: gets the characters the chip sends, one at a
  // time, and returns what it answers to each.
  using Uart = std::function<std::string(std::string_view)>;

  // A vendor request in the host's setup packet, as recorded.
  struct ControlRequest {
    std::uint8_t request = 0;
    std::uint16_t value = 0;
    std::uint16_t index = 0;
  };

  // A bulk-in transfer the host has posted and not yet got back.
  struct InTransfer {
    std::size_t capacity = 0;  // the host's buffer
    Time posted;
    std::string data;          // the packets it holds so far
  };

  // The two modem-status bytes opening every packet (no modem lines, the
  // transmitter empty).
  static constexpr std::uint8_t kStatus0 = 0x01;
  static constexpr std::uint8_t kStatus1 = 0x60;
  static constexpr std::size_t kPacket = 64;
  static constexpr std::size_t kPacketData = kPacket - 2;

  explicit Ft232rChip(Uart uart);

  // A vendor request (the setup packet's bRequest, wValue, wIndex) at `now`;
  // returns the data of an IN request (wLength bytes at most).
  std::string control(const ControlRequest& r, std::uint16_t length, Time now);

  // Bytes the host wrote on the bulk-out endpoint at `now`.
  void hostWrote(std::string_view bytes, Time now);

  // Moves into `t` every packet the chip has sent it by `now`; true once the
  // transfer is complete (it ended with a short packet, or its buffer is full).
  bool fill(InTransfer& t, Time now);

  // The bridge's time from a frame's last character to its first answer
  // character (none by default).
  void setAnswerDelay(Clock::duration d) { answerDelay_ = d; }

  // Everything recorded so far.
  std::vector<ControlRequest> requests() const { return requests_; }
  std::string written() const { return written_; }  // every byte the host wrote, in order
  int baud() const { return baud_; }
  int latencyMs() const { return latencyMs_; }
  std::uint16_t lineSettings() const { return lineSettings_; }  // the SET_DATA value: 0x0008 is 8N1
  std::uint16_t flowControl() const { return flowControl_; }    // the high byte of SET_FLOW_CTRL's index
  // Packets sent, by the number of data bytes they carried (0 for a
  // status-only packet).
  std::vector<std::size_t> packets() const { return packets_; }

  // 10 bits a character (start, 8 data, stop) at the current rate.
  Clock::duration characterTime() const;

  // The rate the FT232R makes of a divisor (wValue, and bit 0 of wIndex).
  static int baudOfDivisor(std::uint16_t value, std::uint16_t index);

 private:
  void purgeToHost(Time now);

  struct Arrival {
    Time at;
    char byte;
  };

  Uart uart_;
  std::vector<ControlRequest> requests_;
  std::string written_;
  std::vector<std::size_t> packets_;
  int baud_ = 9600;
  int latencyMs_ = 16;
  std::uint16_t lineSettings_ = 0x0008;
  std::uint16_t flowControl_ = 0;
  Clock::duration answerDelay_{};
  Time toBridgeFree_{};    // when the line to the bridge is next free
  Time fromBridgeFree_{};  // when the line from the bridge is next free
  std::deque<Arrival> toHost_;  // characters in (or on their way into) the receive buffer
  Time lastPacket_{};           // the latency timer's start
};

}  // namespace kestrav::test
