#include "link/ports/SimulatedPort.h"

#include <algorithm>
#include <thread>

namespace kestrav::link {

SimulatedPort::SimulatedPort(std::shared_ptr<sim::Simulator> simulator, bool realTime)
    : simulator_(std::move(simulator)), realTime_(realTime) {}

void SimulatedPort::open() {
  pending_.clear();
  simulator_->resetParser();
}

void SimulatedPort::setTimeouts(int readMs, int) { readTimeoutMs_ = std::max(0, readMs); }

void SimulatedPort::write(std::string_view bytes) {
  pending_ += simulator_->process(bytes);
  if (pending_.size() > kMaxPending) pending_.resize(kMaxPending);
}

std::size_t SimulatedPort::read(char* buffer, std::size_t count) {
  const std::size_t n = std::min(count, pending_.size());
  pending_.copy(buffer, n);
  pending_.erase(0, n);
  // The simulator answers at once, so nothing more can arrive: a real
  // bridge would leave the host waiting out the whole time-out.
  if (n < count && realTime_ && readTimeoutMs_ > 0)
    std::this_thread::sleep_for(std::chrono::milliseconds(readTimeoutMs_));
  return n;
}

void SimulatedPort::close() {}

}  // namespace kestrav::link
