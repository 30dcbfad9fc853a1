#include "sim/BridgeFirmware.h"

#include <algorithm>

#include "sim/Simulator.h"

namespace kestrav::sim {

namespace {
constexpr std::size_t kMaxIdentityChars = 30;
constexpr std::string_view kIdentificationTail = " SPI BRIDGE V1.0\r\n";
constexpr char kHexDigits[] = "0123456789ABCDEF";
}  // namespace

std::string identificationAnswer(const std::string& identity) {
  return identity.substr(0, kMaxIdentityChars) + std::string(kIdentificationTail);
}

BridgeFirmware::BridgeFirmware(const SimOptions& options)
    : identification_(identificationAnswer(options.identity)), chain_(options), faults_(options) {
  reply_.reserve(kMaxFrameTokens);
}

std::string BridgeFirmware::process(std::string_view bytes) {
  std::string out;
  for (char c : bytes) {
    if (faults_.unplugged()) break;  // nothing reaches the bus any more
    handle(parser_.feed(c), out);
  }
  return out;
}

void BridgeFirmware::resetParser() {
  parser_.reset();
  abandonFrame();
}

void BridgeFirmware::handle(const BridgeEvent& e, std::string& out) {
  using Kind = BridgeEvent::Kind;
  switch (e.kind) {
    case Kind::None: return;
    case Kind::Identify:
      abandonFrame();
      if (faults_.serve()) append(out, identification_);
      return;
    case Kind::Open: openFrame(); return;
    case Kind::Send: clockByte(e.value, false); return;
    case Kind::Transfer: clockByte(e.value, true); return;
    case Kind::Read: clockByte(0xFF, true); return;
    case Kind::Close: closeFrame(out); return;
  }
}

void BridgeFirmware::openFrame() {
  abandonFrame();
  frameOpen_ = true;
  chain_.beginFrame();
}

void BridgeFirmware::abandonFrame() {
  if (frameOpen_) chain_.abortFrame();
  frameOpen_ = false;
  tokens_ = 0;
  head_[0] = head_[1] = 0xFF;
  reply_.clear();
}

void BridgeFirmware::clockByte(std::uint8_t mosi, bool answer) {
  if (!frameOpen_ || tokens_ >= kMaxFrameTokens) return;
  if (tokens_ < 2) head_[tokens_] = mosi;
  const std::uint8_t miso = chain_.clock(mosi);
  if (answer) reply_.push_back({miso, static_cast<int>(tokens_)});
  ++tokens_;
}

void BridgeFirmware::closeFrame(std::string& out) {
  if (!frameOpen_) return;
  chain_.endFrame();
  frameOpen_ = false;  // the chips have finished; nothing left to abandon
  if (faults_.serve()) {
    const std::size_t chars = faults_.shape(head_[0], head_[1], reply_);
    std::string text;
    text.reserve(2 * reply_.size());
    for (const ReplyByte& b : reply_) {
      text += kHexDigits[b.value >> 4];
      text += kHexDigits[b.value & 0x0F];
    }
    text.resize(std::min(chars, text.size()));
    append(out, text);
  }
  abandonFrame();
}

void BridgeFirmware::append(std::string& out, std::string_view text) {
  const std::size_t room = kMaxOutput - std::min(kMaxOutput, out.size());
  out.append(text.substr(0, room));
}

}  // namespace kestrav::sim
