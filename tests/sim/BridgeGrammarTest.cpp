// The bridge's command grammar and reply layout, as the host relies on them.

#include <gtest/gtest.h>

#include "SimHelpers.h"
#include "sim/BridgeFirmware.h"

namespace kestrav::sim {
namespace {

using namespace testing;

TEST(BridgeIdentification, AnswersItsNameShorterThanTheHostsRequest) {
  Simulator sim;
  const std::string answer = sim.process("IZ");
  EXPECT_EQ(answer, "KESTRAV-2 SPI BRIDGE V1.0\r\n");
  EXPECT_LT(answer.size(), 50u);

  SimOptions other;
  other.identity = "OTHERCHIP";
  EXPECT_EQ(Simulator(other).process("IZ").substr(0, 9), "OTHERCHIP");

  other.identity = std::string(200, 'Q');
  EXPECT_LT(Simulator(other).process("IZ").size(), 50u);
}

TEST(BridgeIdentification, IAbandonsAnUnfinishedFrame) {
  Simulator sim;
  // A write cut off by the identification must not reach the chip.
  EXPECT_EQ(sim.process("MSxT81T01SE8S11"), "");
  EXPECT_EQ(sim.process("IZ").substr(0, 9), "KESTRAV-2");
  EXPECT_EQ(read(sim, 0x81, kRDCFG).regs, (std::vector<std::uint8_t>{0xE0, 0, 0, 0, 0, 0}));
}

TEST(BridgeGrammar, ReadRepliesHaveTwoCharactersPerTAndRToken) {
  Simulator sim;
  sim.process(startFrame(kSTCVAD) + startFrame(kSTTMPAD));
  EXPECT_EQ(sim.process("MSxT81T02RRRRRRRX").size(), 18u);
  EXPECT_EQ(sim.process("MSxT81T04RRRRRRRRRRRRRRRRRRRX").size(), 42u);
  EXPECT_EQ(sim.process("MSxT81T06RRRRX").size(), 12u);
  EXPECT_EQ(sim.process("MSxT81T08RRRRRRX").size(), 16u);
  // Nothing drives the bus while the address and command go out.
  EXPECT_EQ(sim.process("MSxT81T02RRRRRRRX").substr(0, 4), "FFFF");
}

TEST(BridgeGrammar, WriteOnlyFramesAnswerOnlyTheirTTokens) {
  Simulator sim;
  EXPECT_EQ(sim.process("MSxT01SE0S00S00S00S00S00X"), "FF");
  EXPECT_EQ(sim.process("MSxT81T01SE0S00S00S00S00S00X"), "FFFF");
  EXPECT_EQ(sim.process("MSxS10X" "MSxS83S10X" "MSxS20X" "MSxS30X" "MSxS40X" "MSxS50X"), "");
}

TEST(BridgeGrammar, RepliesAreUpperCaseHex) {
  Simulator sim;
  sim.process(writeFrame(0x81, {0xEA, 0xBC, 0xDE, 0xFA, 0xAB, 0xCD}));
  const std::string text = sim.process("MSxT81T02RRRRRRRX");
  EXPECT_EQ(text.substr(4, 12), "EABCDEFAABCD");
  for (char c : text) EXPECT_TRUE((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')) << text;
}

TEST(BridgeGrammar, ChunkingDoesNotMatter) {
  const std::string script = "IZ" + writeFrame(0x82, {0xE8, 1, 2, 3, 0x5A, 0xA0}) + startFrame(kSTCVAD) +
                             readFrame(0x82, kRDCFG) + readFrame(0x82, kRDCV) + "Z" + readFrame(0x83, kRDFLG);
  Simulator whole, byByte;
  std::string pieces;
  for (char c : script) pieces += byByte.process(std::string(1, c));
  EXPECT_EQ(pieces, whole.process(script));
}

TEST(BridgeGrammar, LenientAboutCaseNoiseAndPrefix) {
  Simulator sim;
  // Characters outside a frame, lower-case digits, a bare "x" or "M" as
  // the frame opener: all understood.
  EXPECT_EQ(sim.process("Z\r\n??"), "");
  sim.process("MSxT81T01Se8S0aS00S00S5aS9fX");
  EXPECT_EQ(read(sim, 0x81, kRDCFG).regs, (std::vector<std::uint8_t>{0xE8, 0x0A, 0, 0, 0x5A, 0x9F}));
  EXPECT_EQ(sim.process("xT81T02RRRRRRRX").substr(4, 12), "E80A00005A9F");
  EXPECT_EQ(sim.process("MT81T02RRRRRRRX").substr(4, 12), "E80A00005A9F");
}

TEST(BridgeGrammar, BrokenTokensAreDroppedNotMisread) {
  Simulator sim;
  // "S8" cut off by "S": only the complete bytes reach the chip, so the
  // write carries five bytes and is ignored.
  sim.process("MSxT81T01SE8S8S00S00S5AS9FX");
  EXPECT_EQ(read(sim, 0x81, kRDCFG).regs[0], 0xE0);
  // The next frame is parsed normally.
  EXPECT_TRUE(read(sim, 0x81, kRDCFG).pecOk());
}

TEST(BridgeGrammar, ResetParserForgetsAHalfFrame) {
  Simulator sim;
  sim.process("MSxT81T01SE8S00S00");
  sim.resetParser();
  sim.process("S00S00S00X");  // the tail alone is no frame
  EXPECT_EQ(read(sim, 0x81, kRDCFG).regs[0], 0xE0);
}

TEST(BridgeGrammar, OverlongFramesAreCapped) {
  Simulator sim;
  const std::string reply = sim.process("MSxT81T04" + std::string(5000, 'R') + "X");
  EXPECT_EQ(reply.size(), 2 * kMaxFrameTokens);
  EXPECT_TRUE(read(sim, 0x81, kRDCV).pecOk());
}

}  // namespace
}  // namespace kestrav::sim
