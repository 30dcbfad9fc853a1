#include "sim/Simulator.h"

namespace kestrav::sim {
struct Simulator::Impl {};
Simulator::Simulator(SimOptions) : impl_(new Impl) {}
Simulator::~Simulator() { delete impl_; }
std::string Simulator::process(std::string_view) { return {}; }
void Simulator::resetParser() {}
}  // namespace kestrav::sim
