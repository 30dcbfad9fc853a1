// Whatever arrives on the wire, the bridge neither crashes nor hoards.

#include <gtest/gtest.h>

#include <random>

#include "SimHelpers.h"
#include "sim/BridgeFirmware.h"

namespace kestrav::sim {
namespace {

using namespace testing;

// After any garbage, one "X" ends whatever frame is open and the bridge
// serves normally again.
void expectStillServes(Simulator& sim) {
  sim.process("X");
  EXPECT_EQ(sim.process("IZ").substr(0, 9), "KESTRAV-2");
  EXPECT_TRUE(read(sim, 0x81, kRDCFG).pecOk());
}

TEST(Robustness, RandomBytes) {
  Simulator sim;
  std::mt19937 rng(1234);
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_int_distribution<int> length(1, 4096);
  std::size_t fed = 0;
  while (fed < 2'000'000) {
    std::string chunk(static_cast<std::size_t>(length(rng)), '\0');
    for (char& c : chunk) c = static_cast<char>(byte(rng));
    const std::string out = sim.process(chunk);
    ASSERT_LE(out.size(), kMaxOutput);
    fed += chunk.size();
  }
  expectStillServes(sim);
}

TEST(Robustness, TokenSoup) {
  // Mostly valid pieces in random order: unterminated and overlong frames,
  // stray identifications, broken hex, every command code at every address.
  const std::vector<std::string> pieces = {"M", "S", "x", "MSx", "X", "R", "RRRRRRRR", "T", "S", "I", "Z", "IZ",
                                           "T81", "T8F", "T80", "T02", "T04", "T06", "T08", "S10", "S20", "S30",
                                           "S40", "S50", "T01", "SE8", "SFF", "S0", "T", "0", "F", "\n", "\xFF"};
  SimOptions o;
  o.corruptShare = o.shortShare = o.dropShare = 0.1;
  Simulator sim(o);
  std::mt19937 rng(99);
  std::uniform_int_distribution<std::size_t> pick(0, pieces.size() - 1);
  std::size_t fed = 0, answered = 0, bound = 0;
  while (fed < 1'000'000) {
    std::string chunk;
    const int n = static_cast<int>(rng() % 200);
    for (int i = 0; i < n; ++i) chunk += pieces[pick(rng)];
    answered += sim.process(chunk).size();
    // At most two characters per "T" or "R" and one identification per "I".
    for (char c : chunk) bound += c == 'I' ? identificationAnswer("KESTRAV-2").size() : (c == 'T' || c == 'R') ? 2 : 0;
    ASSERT_LE(answered, bound);
    fed += chunk.size();
    if (rng() % 50 == 0) sim.resetParser();
  }
  expectStillServes(sim);
}

TEST(Robustness, OutputOfOneCallIsCapped) {
  Simulator sim;
  std::string many;
  for (int i = 0; i < 10'000; ++i) many += "IZ";
  EXPECT_EQ(sim.process(many).size(), kMaxOutput);
  const std::string frame = "MSxT81T04" + std::string(300, 'R') + "X";
  std::string frames;
  for (int i = 0; i < 200; ++i) frames += frame;
  EXPECT_EQ(sim.process(frames).size(), kMaxOutput);
}

}  // namespace
}  // namespace kestrav::sim
