#include "sim/Simulator.h"

#include "sim/BridgeFirmware.h"

namespace kestrav::sim {

Simulator::Simulator(SimOptions options)
    : options_(std::move(options)), firmware_(std::make_unique<BridgeFirmware>(options_)) {}

Simulator::~Simulator() = default;

std::string Simulator::process(std::string_view bytes) { return firmware_->process(bytes); }

void Simulator::resetParser() { firmware_->resetParser(); }

int Simulator::boards() const { return static_cast<int>(firmware_->chain().size()); }

void Simulator::setCellVolts(int board, int cell, double volts) {
  if (board < 0 || board >= boards()) return;
  firmware_->chain().chip(static_cast<std::size_t>(board)).battery().pinCell(cell, volts);
}

void Simulator::openWire(int board, int cell) {
  if (board < 0 || board >= boards()) return;
  firmware_->chain().chip(static_cast<std::size_t>(board)).battery().breakWire(cell);
}

void Simulator::setFaultShares(double corrupt, double shortShare, double drop) {
  firmware_->faults().setShares(corrupt, shortShare, drop);
}

void Simulator::unplug() { firmware_->faults().unplugNow(); }

}  // namespace kestrav::sim
