#pragma once
// A Monitor on a scripted port with a fake desktop and a fixed clock.

#include <memory>

#include "app/Events.h"
#include "context/Monitor.h"
#include "link/ports/SimulatedPort.h"
#include "sim/Simulator.h"
#include "support/FakeDesktop.h"
#include "support/ScriptedPort.h"

namespace kestrav::test {

struct MonitorFixture {
  std::shared_ptr<PortScript> script = std::make_shared<PortScript>();
  FakeDesktop desktop;
  FixedClock clock;
  std::unique_ptr<context::Monitor> monitor;

  context::Monitor& build() {
    monitor = std::make_unique<context::Monitor>(scriptedPort(script), desktop, clock);
    app::wireMainWindow(*monitor);
    return *monitor;
  }
  // Builds, wires and loads the window; the script decides the identification.
  context::Monitor& start() {
    build();
    app::loadMainWindow(*monitor);
    return *monitor;
  }

  // The same on the simulator without real-time pacing; the script still
  // records every string written.
  std::shared_ptr<sim::Simulator> simulator;
  context::Monitor& startOnSimulator(sim::SimOptions options = {}) {
    simulator = std::make_shared<sim::Simulator>(std::move(options));
    auto port = std::make_unique<RecordingPort>(std::make_unique<link::SimulatedPort>(simulator, false), script);
    monitor = std::make_unique<context::Monitor>(std::move(port), desktop, clock);
    app::wireMainWindow(*monitor);
    app::loadMainWindow(*monitor);
    return *monitor;
  }
};

}  // namespace kestrav::test
