#include "history/TrafficLog.h"

#include <algorithm>

namespace kestrav::history {

TrafficLog::TrafficLog(std::size_t kept) : kept_(std::max<std::size_t>(kept, 1)) {}

void TrafficLog::record(const TrafficEntry& e) {
  std::lock_guard lock(mutex_);
  ++counts_.transactions;
  if (e.verdict == PecVerdict::Mismatch) ++counts_.mismatches;
  if (e.verdict == PecVerdict::Incomplete) ++counts_.incomplete;
  if (entries_.size() == kept_) entries_.pop_front();
  entries_.push_back(e);
}

std::vector<TrafficEntry> TrafficLog::entriesAfter(std::uint64_t after) const {
  std::lock_guard lock(mutex_);
  // Sequences rise with every entry, so the wanted ones are a tail.
  auto first = std::partition_point(entries_.begin(), entries_.end(),
                                    [after](const TrafficEntry& e) { return e.sequence <= after; });
  return {first, entries_.end()};
}

TrafficCounts TrafficLog::counts() const {
  std::lock_guard lock(mutex_);
  return counts_;
}

std::size_t TrafficLog::size() const {
  std::lock_guard lock(mutex_);
  return entries_.size();
}

}  // namespace kestrav::history
