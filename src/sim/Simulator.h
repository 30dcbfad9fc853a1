#pragma once
// The bridge and its chain of KESTRAV-2 chips, played in software.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kestrav::sim {

struct SimOptions {
  int boards = 10;                  // chips on the chain
  std::vector<int> addresses;       // bus address of each chip; empty: 0x81, 0x82, ...
  std::uint32_t seed = 1;           // the whole simulation is deterministic for a seed
  // Fault injection.
  double corruptShare = 0.0;        // share of read replies with one corrupted byte
  double shortShare = 0.0;          // share of read replies cut short
  double dropShare = 0.0;           // share of read replies not answered at all
  long unplugAfter = -1;            // the bridge goes silent after this many frames/IZ (-1 never)
  std::string identity = "KESTRAV-2";  // what the bridge answers to "IZ" (before its tail)
};

class Simulator {
 public:
  explicit Simulator(SimOptions options = {});
  ~Simulator();
  Simulator(const Simulator&) = delete;
  Simulator& operator=(const Simulator&) = delete;

  // Feeds bytes the host wrote to the bridge, in any chunking; returns what
  // the bridge answers to them. Takes arbitrary bytes without crashing and
  // without growing without bound.
  std::string process(std::string_view bytes);

  // Forget any half-received command (the host opened the device anew).
  void resetParser();

 private:
  struct Impl;
  Impl* impl_;
};

}  // namespace kestrav::sim
