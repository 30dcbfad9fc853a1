#pragma once
// The simulator in-process, behind the bridge port interface.

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>

#include "link/BridgePort.h"
#include "sim/BridgeLine.h"
#include "sim/Simulator.h"

namespace kestrav::link {

class SimulatedPort : public BridgePort {
 public:
  // realTime: answers travel the line the simulator's options model
  // (SimOptions::lineBaud, usbLatencyMs), and a read that gets fewer
  // characters than asked waits out its read time-out, as a real bridge
  // would. false for fast tests: every answer is there at once.
  explicit SimulatedPort(std::shared_ptr<sim::Simulator> simulator, bool realTime = true);

  // Starts a transaction: answers nobody read are gone, and a frame the
  // last transaction left unfinished is forgotten.
  void open() override;
  void setTimeouts(int readMs, int writeMs) override;
  void write(std::string_view bytes) override;
  std::size_t read(char* buffer, std::size_t count) override;
  void close() override;

  sim::Simulator& simulator() { return *simulator_; }

  // Answers are kept up to this many characters, like the bridge's FIFO.
  static constexpr std::size_t kMaxPending = 64 * 1024;

 private:
  std::shared_ptr<sim::Simulator> simulator_;
  bool realTime_;
  sim::BridgeLine line_;
  int readTimeoutMs_ = 0;
  std::string pending_;  // what reached the host and has not been read yet
};

}  // namespace kestrav::link
