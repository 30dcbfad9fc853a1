#pragma once
// One complete bridge transaction per command string: open, set time-outs,
// write, (read), close. Keeps the four reply buffers for the whole run.

#include <array>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "link/BridgePort.h"
#include "link/TransactionObserver.h"
#include "state/BoardStack.h"

namespace kestrav::link {

using state::ReadCommand;

constexpr int kIdentifyReadMs = 200;
constexpr int kIdentifyWriteMs = 50;
constexpr int kCommandTimeoutMs = 1000;
constexpr std::size_t kIdentifyBufferSize = 128;
constexpr std::size_t kIdentifyRequested = 50;

// Characters requested for each read command: 4 for the address and command
// code, 2 per register byte and 2 for the chip's PEC.
constexpr std::size_t replyLength(ReadCommand c) {
  constexpr std::size_t kLengths[] = {18, 42, 12, 16};
  return kLengths[state::index(c)];
}

class BridgeLink {
 public:
  explicit BridgeLink(std::unique_ptr<BridgePort> port);

  // "IZ" with the identification time-outs into a fresh 128-character
  // buffer (blank where nothing arrived). Returns the whole buffer.
  std::string identify();

  // A write-only command (configuration write, conversion starts, polls).
  // Nothing of the reply is kept: the two characters the bridge answers for
  // each "T" token are read and dropped within the same transaction.
  void send(std::string_view command);

  // A read command: the reply overwrites the start of that command's buffer
  // with the characters that arrived; the rest keeps the previous reply.
  // Returns how many characters arrived.
  std::size_t read(ReadCommand c, std::string_view command);

  // The reply buffer of a read command (exactly replyLength(c) characters;
  // blank before the first reply).
  const std::string& reply(ReadCommand c) const { return replies_[state::index(c)]; }
  std::size_t lastReceived(ReadCommand c) const { return received_[state::index(c)]; }

  BridgePort& port() { return *port_; }

  // Who hears of every transaction; nullptr (the default) for nobody. The
  // observer must outlive the link or be removed first.
  void setObserver(TransactionObserver* observer) { observer_ = observer; }

 private:
  std::size_t transaction(std::string_view command, int readMs, int writeMs, char* buffer,
                          std::size_t requested);
  void report(std::string_view command, const char* buffer, std::size_t requested, std::size_t got,
              std::optional<ReadCommand> read) const;

  std::unique_ptr<BridgePort> port_;
  std::array<std::string, state::kReadCommands> replies_;
  std::array<std::size_t, state::kReadCommands> received_{};
  TransactionObserver* observer_ = nullptr;
};

}  // namespace kestrav::link
