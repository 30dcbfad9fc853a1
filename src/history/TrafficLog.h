#pragma once
// The last 10 000 bridge transactions and the counts since the start of the
// run. Fed by the core thread, read by the Bridge Traffic window; safe to
// call from both.

#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

#include "history/TrafficEntry.h"

namespace kestrav::history {

inline constexpr std::size_t kTrafficEntriesKept = 10'000;

struct TrafficCounts {
  std::uint64_t transactions = 0;
  std::uint64_t mismatches = 0;
  std::uint64_t incomplete = 0;
};

class TrafficLog : public TrafficSink {
 public:
  explicit TrafficLog(std::size_t kept = kTrafficEntriesKept);

  void record(const TrafficEntry& e) override;

  // The kept entries whose sequence is above `after`, oldest first.
  std::vector<TrafficEntry> entriesAfter(std::uint64_t after) const;
  TrafficCounts counts() const;
  std::size_t size() const;

 private:
  mutable std::mutex mutex_;
  std::size_t kept_;
  std::deque<TrafficEntry> entries_;
  TrafficCounts counts_;
};

}  // namespace kestrav::history
