#include "link/ports/SimulatedPort.h"

#include <algorithm>
#include <thread>

namespace kestrav::link {

using Clock = sim::BridgeLine::Clock;

SimulatedPort::SimulatedPort(std::shared_ptr<sim::Simulator> simulator, bool realTime)
    : simulator_(std::move(simulator)),
      realTime_(realTime),
      line_(*simulator_, realTime ? simulator_->options().line() : sim::LineSettings{}) {}

void SimulatedPort::open() {
  pending_.clear();
  line_.clear();
  simulator_->resetParser();
}

void SimulatedPort::setTimeouts(int readMs, int) { readTimeoutMs_ = std::max(0, readMs); }

void SimulatedPort::write(std::string_view bytes) {
  const Clock::time_point now = Clock::now();
  line_.hostWrote(bytes, now);
  pending_ += line_.take(now);
  if (pending_.size() > kMaxPending) pending_.resize(kMaxPending);
}

std::size_t SimulatedPort::read(char* buffer, std::size_t count) {
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(readTimeoutMs_);
  for (;;) {
    pending_ += line_.take(Clock::now());
    if (pending_.size() >= count || !realTime_) break;
    const std::optional<Clock::time_point> next = line_.nextDelivery();
    if (!next || *next > deadline) {
      // Nothing more arrives in time: a real bridge would leave the host
      // waiting out the whole time-out.
      std::this_thread::sleep_until(deadline);
      break;
    }
    std::this_thread::sleep_until(*next);
  }
  const std::size_t n = std::min(count, pending_.size());
  pending_.copy(buffer, n);
  pending_.erase(0, n);
  return n;
}

void SimulatedPort::close() {}

}  // namespace kestrav::link
