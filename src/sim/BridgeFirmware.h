#pragma once
// The USB-to-SPI bridge's firmware: takes the host's command characters,
// runs each frame on the chips' bus and answers in upper-case hex. A frame's
// answer leaves when the frame closes, as one piece, so that fault
// injection can judge it whole.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "sim/BridgeParser.h"
#include "sim/ChipChain.h"
#include "sim/FaultInjector.h"

namespace kestrav::sim {

struct SimOptions;

// Bytes clocked in one frame beyond this are dropped (the bridge's buffer).
inline constexpr std::size_t kMaxFrameTokens = 256;
// What one call may answer at most; the rest is lost like an overrun UART.
inline constexpr std::size_t kMaxOutput = 64 * 1024;

// The answer to "I": the identity (at most 30 characters) and a fixed tail,
// always shorter than the 50 characters the host asks for.
std::string identificationAnswer(const std::string& identity);

class BridgeFirmware {
 public:
  explicit BridgeFirmware(const SimOptions& options);

  std::string process(std::string_view bytes);
  // The host opened the port anew: an unfinished frame is abandoned.
  void resetParser();

  ChipChain& chain() { return chain_; }
  FaultInjector& faults() { return faults_; }

 private:
  void handle(const BridgeEvent& e, std::string& out);
  void openFrame();
  void abandonFrame();
  void clockByte(std::uint8_t mosi, bool answer);
  void closeFrame(std::string& out);
  static void append(std::string& out, std::string_view text);

  std::string identification_;
  BridgeParser parser_;
  ChipChain chain_;
  FaultInjector faults_;

  bool frameOpen_ = false;
  std::size_t tokens_ = 0;
  std::uint8_t head_[2] = {0xFF, 0xFF};  // first two MOSI bytes: address/command
  std::vector<ReplyByte> reply_;
};

}  // namespace kestrav::sim
