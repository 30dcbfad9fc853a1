#pragma once
// The bridge and its chain of KESTRAV-2 chips, played in software.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kestrav::sim {

// A broken sense wire: the wire at the top of `cell` (1..12) of the chip
// with index `board` (0 = first chip of the chain).
struct OpenWire {
  int board = 0;
  int cell = 1;
};

struct SimOptions {
  int boards = 10;                  // chips on the chain (at most 15)
  std::vector<int> addresses;       // bus address of each chip (0x80..0x8F); when given, `boards` is ignored
  std::uint32_t seed = 1;           // the whole simulation is deterministic for a seed
  double cellVolts = 3.6;           // centre of the cell voltages
  std::vector<OpenWire> openWires;  // broken sense wires
  // Fault injection on read replies; the three shares are exclusive and
  // should add up to at most 1.
  double corruptShare = 0.0;        // share of read replies with one corrupted register byte
  double shortShare = 0.0;          // share of read replies cut short
  double dropShare = 0.0;           // share of read replies not answered at all
  long unplugAfter = -1;            // the bridge goes silent after this many frames/IZ (-1 never)
  std::string identity = "KESTRAV-2";  // what the bridge answers to "IZ" (before its tail)
};

class BridgeFirmware;

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

  const SimOptions& options() const { return options_; }

  // Controls of a test script, taken between two transactions. `board` is
  // the chip's index on the chain (0 = first), `cell` 1..12; a chip or cell
  // that is not there is left alone.
  void setCellVolts(int board, int cell, double volts);
  void openWire(int board, int cell);
  // The shares of corrupted, short and dropped read replies, each 0..1.
  void setFaultShares(double corrupt, double shortShare, double drop);
  // The bridge goes silent for good, as when its cable is pulled.
  void unplug();
  int boards() const;

 private:
  SimOptions options_;
  std::unique_ptr<BridgeFirmware> firmware_;
};

}  // namespace kestrav::sim
