#pragma once
// Listens to the bridge link, stamps and judges every transaction and hands
// the entry to its sinks (traffic log, trace file). A program attaches it in
// a few lines:
//
//   history::TransactionTap tap(monitor.clock);
//   auto trace = history::TraceWriter::open(path, error);   // --trace FILE
//   tap.add(*trace);
//   monitor.link.setObserver(&tap);

#include <cstdint>
#include <mutex>
#include <vector>

#include "context/Clock.h"
#include "history/TrafficEntry.h"
#include "link/TransactionObserver.h"

namespace kestrav::history {

class TransactionTap : public link::TransactionObserver {
 public:
  explicit TransactionTap(context::Clock& clock) : clock_(clock) {}

  // Sinks are added before the link runs and must outlive the tap's use.
  void add(TrafficSink& sink) { sinks_.push_back(&sink); }

  void transactionDone(const link::Transaction& t) override;

 private:
  context::Clock& clock_;
  std::vector<TrafficSink*> sinks_;
  std::uint64_t sequence_ = 0;
};

}  // namespace kestrav::history
