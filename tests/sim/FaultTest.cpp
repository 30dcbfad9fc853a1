// Injected faults: how often, how they look, and that a seed repeats them.

#include <gtest/gtest.h>

#include "SimHelpers.h"

namespace kestrav::sim {
namespace {

using namespace testing;

struct Tally {
  int good = 0, corrupt = 0, shortened = 0, dropped = 0;
  std::string transcript;
};

Tally readMany(const SimOptions& o, int n) {
  Simulator sim(o);
  sim.process(startFrame(kSTCVAD));
  Tally t;
  for (int i = 0; i < n; ++i) {
    const std::string text = sim.process(readFrame(0x81 + i % 3, kRDCV));
    t.transcript += text + "|";
    const ReadReply r = parseRead(text, kCellBytes);
    if (text.empty()) ++t.dropped;
    else if (!r.complete) ++t.shortened;
    else if (!r.pecOk()) ++t.corrupt;
    else ++t.good;
  }
  return t;
}

SimOptions faulty(double corrupt, double shortened, double drop, std::uint32_t seed = 7) {
  SimOptions o;
  o.boards = 3;
  o.seed = seed;
  o.corruptShare = corrupt;
  o.shortShare = shortened;
  o.dropShare = drop;
  return o;
}

TEST(FaultInjection, SharesRoughlyHold) {
  const Tally t = readMany(faulty(0.2, 0.1, 0.05), 4000);
  EXPECT_NEAR(t.corrupt / 4000.0, 0.2, 0.03);
  EXPECT_NEAR(t.shortened / 4000.0, 0.1, 0.03);
  EXPECT_NEAR(t.dropped / 4000.0, 0.05, 0.02);
  EXPECT_EQ(t.good + t.corrupt + t.shortened + t.dropped, 4000);
}

TEST(FaultInjection, NoFaultsByDefault) {
  const Tally t = readMany(faulty(0, 0, 0), 500);
  EXPECT_EQ(t.good, 500);
}

TEST(FaultInjection, SameSeedSameFaultsOtherSeedOthers) {
  EXPECT_EQ(readMany(faulty(0.3, 0.2, 0.1, 5), 300).transcript, readMany(faulty(0.3, 0.2, 0.1, 5), 300).transcript);
  EXPECT_NE(readMany(faulty(0.3, 0.2, 0.1, 5), 300).transcript, readMany(faulty(0.3, 0.2, 0.1, 6), 300).transcript);
}

TEST(FaultInjection, CorruptionAltersOneRegisterByteOnly) {
  Simulator clean(faulty(0, 0, 0)), dirty(faulty(1.0, 0, 0));
  clean.process(startFrame(kSTCVAD));
  dirty.process(startFrame(kSTCVAD));
  for (int i = 0; i < 50; ++i) {
    const std::string a = clean.process(readFrame(0x82, kRDCV));
    const std::string b = dirty.process(readFrame(0x82, kRDCV));
    ASSERT_EQ(a.size(), b.size());
    int differing = 0;
    for (std::size_t k = 0; k < a.size(); k += 2) differing += a.compare(k, 2, b, k, 2) != 0;
    EXPECT_EQ(differing, 1);
    EXPECT_EQ(a.substr(0, 4), b.substr(0, 4));
    EXPECT_EQ(a.substr(40), b.substr(40));  // the chip's PEC is untouched
  }
}

TEST(FaultInjection, OnlyReadRepliesSufferWritesAndStartsStillArrive) {
  Simulator sim(faulty(0, 0, 1.0));
  EXPECT_EQ(sim.process(writeFrame(0x81, {0xE8, 0, 0, 0, 0x11, 0x22})), "FFFF");
  EXPECT_EQ(sim.process("IZ").substr(0, 9), "KESTRAV-2");
  EXPECT_EQ(sim.process(readFrame(0x81, kRDCFG)), "");
}

TEST(FaultInjection, UnpluggedBridgeAnswersNothingAtAll) {
  SimOptions o;
  o.unplugAfter = 3;
  Simulator sim(o);
  EXPECT_FALSE(sim.process("IZ").empty());
  EXPECT_TRUE(read(sim, 0x81, kRDCFG).pecOk());
  EXPECT_FALSE(sim.process("IZ").empty());
  EXPECT_EQ(sim.process("IZ"), "");
  EXPECT_EQ(sim.process(readFrame(0x81, kRDCFG)), "");
  sim.resetParser();
  EXPECT_EQ(sim.process("IZIZ"), "");

  o.unplugAfter = 0;
  EXPECT_EQ(Simulator(o).process("IZ"), "");
}

}  // namespace
}  // namespace kestrav::sim
