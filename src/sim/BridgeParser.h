#pragma once
// The bridge's command grammar, one character at a time.
//
//   "I"            identification (anywhere; abandons an open frame)
//   "M" "S" "x"    open a frame ("MSx"; "M" or "x" alone also opens one)
//   "S" hh         send byte hh on MOSI
//   "T" hh         send byte hh and answer what came back on MISO
//   "R"            send a dummy 0xFF and answer what came back
//   "X"            close the frame (chip select rises)
//
// Hex digits of either case are taken. Everything else is ignored, and a
// "S"/"T" whose digits are broken off is dropped. The parser holds only
// its state, so it cannot grow.

#include <cstdint>

namespace kestrav::sim {

struct BridgeEvent {
  enum class Kind : std::uint8_t { None, Identify, Open, Send, Transfer, Read, Close };
  Kind kind = Kind::None;
  std::uint8_t value = 0;  // the byte of Send and Transfer
};

class BridgeParser {
 public:
  // Feeds one character; at most one event results. A character that both
  // ends a broken token and starts something new is handled in the same
  // call (the broken token yields no event).
  BridgeEvent feed(char c);
  void reset() { state_ = State::Idle; }
  bool inFrame() const { return state_ != State::Idle; }

 private:
  enum class State : std::uint8_t { Idle, Prefix, Frame, HexHigh, HexLow };
  BridgeEvent frameChar(char c);

  State state_ = State::Idle;
  bool transfer_ = false;  // the pending byte token is a "T"
  std::uint8_t high_ = 0;
};

}  // namespace kestrav::sim
