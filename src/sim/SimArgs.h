#pragma once
// The command line of kestrav-sim, turned into simulator options.

#include <string>
#include <vector>

#include "sim/Simulator.h"

namespace kestrav::sim {

struct SimArgs {
  SimOptions options;
  bool help = false;
  std::string error;  // empty when the command line was understood
};

// `args` excludes the program name.
SimArgs parseSimArgs(const std::vector<std::string>& args);

std::string simUsage();

}  // namespace kestrav::sim
