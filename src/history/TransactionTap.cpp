#include "history/TransactionTap.h"

namespace kestrav::history {

void TransactionTap::transactionDone(const link::Transaction& t) {
  TrafficEntry e;
  e.sequence = ++sequence_;
  e.time = clock_.now();
  e.written = t.written;
  e.requested = t.requested;
  e.received = t.received;
  e.reply = t.reply;
  e.verdict = judge(t);
  for (TrafficSink* sink : sinks_) sink->record(e);
}

}  // namespace kestrav::history
