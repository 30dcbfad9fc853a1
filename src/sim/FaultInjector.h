#pragma once
// Faults the simulator injects between the chips and the host: corrupted,
// short and dropped read replies, and a bridge that goes silent after a
// number of transactions, as when its cable is pulled. One random stream
// of its own, so the faults of a run depend only on the seed and the
// sequence of transactions.

#include <cstdint>
#include <random>
#include <vector>

namespace kestrav::sim {

struct SimOptions;

// One byte of a frame's reply, with the position (0-based) of the MOSI byte
// it was clocked out against.
struct ReplyByte {
  std::uint8_t value = 0;
  int clock = 0;
};

class FaultInjector {
 public:
  explicit FaultInjector(const SimOptions& options);

  // Counts one transaction (an identification or a closed frame) and says
  // whether the bridge still answers it.
  bool serve();
  // True once the bridge has gone silent for good.
  bool unplugged() const;
  // Controls of a test script, at any time: the three shares (each 0..1)
  // and the cable pulled now.
  void setShares(double corrupt, double shortShare, double drop);
  void unplugNow() { unplugAfter_ = served_; }

  // Shapes the reply of a closed frame whose first MOSI bytes were `first`
  // and `second`. Only replies of read commands are touched: a corrupted
  // reply gets one register byte altered (its PEC then fails), a short or
  // dropped one is cut. Returns how many reply characters go out (two per
  // byte; a short reply may end in half a byte).
  std::size_t shape(std::uint8_t first, std::uint8_t second, std::vector<ReplyByte>& reply);

 private:
  double corrupt_, short_, drop_;
  long unplugAfter_;
  long served_ = 0;
  std::mt19937 rng_;
};

}  // namespace kestrav::sim
