#include "link/ports/SimulatedPort.h"

#include <thread>

namespace kestrav::link {

SimulatedPort::SimulatedPort(std::shared_ptr<sim::Simulator> simulator, bool realTime)
    : simulator_(std::move(simulator)), realTime_(realTime) {}

void SimulatedPort::open() {
  pending_.clear();
  simulator_->resetParser();
}
void SimulatedPort::setTimeouts(int readMs, int) { readTimeoutMs_ = readMs; }
void SimulatedPort::write(std::string_view bytes) { pending_ += simulator_->process(bytes); }
std::size_t SimulatedPort::read(char* buffer, std::size_t count) {
  const std::size_t n = std::min(count, pending_.size());
  pending_.copy(buffer, n);
  pending_.erase(0, n);
  if (n < count && realTime_) std::this_thread::sleep_for(std::chrono::milliseconds(readTimeoutMs_));
  return n;
}
void SimulatedPort::close() {}

}  // namespace kestrav::link
