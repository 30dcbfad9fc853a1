#include "sim/BridgeParser.h"

namespace kestrav::sim {

namespace {
int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}
using Kind = BridgeEvent::Kind;
}  // namespace

BridgeEvent BridgeParser::feed(char c) {
  if (c == 'I') {
    state_ = State::Idle;
    return {Kind::Identify};
  }
  switch (state_) {
    case State::Idle:
      if (c == 'M') {
        state_ = State::Prefix;
        return {Kind::Open};
      }
      if (c == 'x') {
        state_ = State::Frame;
        return {Kind::Open};
      }
      return {};
    case State::Prefix:
      if (c == 'S') return {};
      if (c == 'x') {
        state_ = State::Frame;
        return {};
      }
      // Lenient: a frame whose prefix is cut short still counts.
      state_ = State::Frame;
      return frameChar(c);
    case State::Frame:
      return frameChar(c);
    case State::HexHigh: {
      const int v = hexValue(c);
      if (v < 0) {
        state_ = State::Frame;
        return frameChar(c);
      }
      high_ = static_cast<std::uint8_t>(v);
      state_ = State::HexLow;
      return {};
    }
    case State::HexLow: {
      const int v = hexValue(c);
      state_ = State::Frame;
      if (v < 0) return frameChar(c);
      return {transfer_ ? Kind::Transfer : Kind::Send, static_cast<std::uint8_t>((high_ << 4) | v)};
    }
  }
  return {};
}

BridgeEvent BridgeParser::frameChar(char c) {
  switch (c) {
    case 'S':
    case 'T':
      transfer_ = c == 'T';
      state_ = State::HexHigh;
      return {};
    case 'R': return {Kind::Read};
    case 'X': state_ = State::Idle; return {Kind::Close};
    case 'M': state_ = State::Prefix; return {Kind::Open};
    default: return {};  // "x", blanks, line ends and noise
  }
}

}  // namespace kestrav::sim
