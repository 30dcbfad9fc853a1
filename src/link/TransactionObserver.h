#pragma once
// What one bridge transaction did, reported to whoever watches the link (the
// traffic log, a trace file). The link knows nothing of time or verdicts:
// the watcher stamps and judges.

#include <cstddef>
#include <optional>
#include <string>

#include "state/BoardStack.h"

namespace kestrav::link {

struct Transaction {
  std::string written;   // the command string, exactly as sent
  std::size_t requested = 0;  // characters asked for (0 for starts and polls)
  std::size_t received = 0;   // characters that arrived
  std::string reply;          // the characters that arrived, nothing else
  // Set for the four read commands; empty for identification and writes.
  std::optional<state::ReadCommand> read;
};

class TransactionObserver {
 public:
  virtual ~TransactionObserver() = default;
  // Called on the thread that ran the transaction, after the port closed.
  virtual void transactionDone(const Transaction& t) = 0;
};

}  // namespace kestrav::link
