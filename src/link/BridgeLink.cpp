#include "link/BridgeLink.h"

#include <algorithm>
#include <utility>

namespace kestrav::link {

BridgeLink::BridgeLink(std::unique_ptr<BridgePort> port) : port_(std::move(port)) {
  for (int i = 0; i < state::kReadCommands; ++i)
    replies_[i] = std::string(replyLength(static_cast<ReadCommand>(i)), ' ');
}

std::size_t BridgeLink::transaction(std::string_view command, int readMs, int writeMs, char* buffer,
                                    std::size_t requested) {
  port_->open();
  port_->setTimeouts(readMs, writeMs);
  port_->write(command);
  std::size_t got = 0;
  if (buffer != nullptr && requested > 0) {
    got = port_->read(buffer, requested);
    if (got > requested) got = requested;  // a misbehaving port never overruns the buffer
  }
  port_->close();
  return got;
}

void BridgeLink::report(std::string_view command, const char* buffer, std::size_t requested, std::size_t got,
                        std::optional<ReadCommand> read) const {
  if (observer_ == nullptr) return;
  Transaction t;
  t.written.assign(command);
  t.requested = requested;
  t.received = got;
  t.reply.assign(buffer, got);
  t.read = read;
  observer_->transactionDone(t);
}

std::string BridgeLink::identify() {
  std::string buffer(kIdentifyBufferSize, ' ');
  const std::size_t got = transaction("IZ", kIdentifyReadMs, kIdentifyWriteMs, buffer.data(), kIdentifyRequested);
  report("IZ", buffer.data(), kIdentifyRequested, got, std::nullopt);
  return buffer;
}

void BridgeLink::send(std::string_view command) {
  // The bridge answers every "T" token with two characters, write-only
  // frames included (the configuration write addresses its board with "T").
  // Those characters are taken here, inside the write's own transaction:
  // left on the line they would arrive late and open the next read's reply.
  // Starts and polls carry only "S" tokens and read nothing.
  const std::size_t answered = 2 * static_cast<std::size_t>(std::count(command.begin(), command.end(), 'T'));
  std::string scratch(answered, '\0');
  const std::size_t got = transaction(command, kCommandTimeoutMs, kCommandTimeoutMs, scratch.data(), answered);
  report(command, scratch.data(), answered, got, std::nullopt);
}

std::size_t BridgeLink::read(ReadCommand c, std::string_view command) {
  std::string& buffer = replies_[state::index(c)];
  // Read into scratch space first so that only the prefix that arrived
  // replaces the previous reply, whatever the port does with the rest.
  std::string incoming(buffer.size(), '\0');
  const std::size_t got =
      transaction(command, kCommandTimeoutMs, kCommandTimeoutMs, incoming.data(), buffer.size());
  buffer.replace(0, got, incoming, 0, got);
  received_[state::index(c)] = got;
  report(command, incoming.data(), buffer.size(), got, c);
  return got;
}

}  // namespace kestrav::link
