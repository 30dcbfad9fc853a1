#include "sim/Simulator.h"

#include "sim/BridgeFirmware.h"

namespace kestrav::sim {

void useUsbBridgeLine(SimOptions& options) {
  options.lineBaud = kUsbBridgeBaud;
  options.usbLatencyMs = kUsbBridgeLatencyMs;
}

Simulator::Simulator(SimOptions options)
    : options_(std::move(options)), firmware_(std::make_unique<BridgeFirmware>(options_)) {}

Simulator::~Simulator() = default;

std::string Simulator::process(std::string_view bytes) { return firmware_->process(bytes); }

void Simulator::resetParser() { firmware_->resetParser(); }

}  // namespace kestrav::sim
