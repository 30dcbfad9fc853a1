#include <gtest/gtest.h>

#include <random>

#include "link/PecTable.h"
#include "link/ReplyBytes.h"

namespace kestrav::link {
namespace {

using state::BoardStack;
using state::ReadCommand;

TEST(ReplyBytes, PairsOfEitherCaseAndNonDigits) {
  EXPECT_EQ(pairValue("E0", 0), 224);
  EXPECT_EQ(pairValue("0A", 0), 10);
  EXPECT_EQ(pairValue("e0", 0), 224);
  EXPECT_EQ(pairValue("fF", 0), 255);
  EXPECT_EQ(pairValue("  ", 0), 0);
  EXPECT_EQ(pairValue(std::string_view("\0\0", 2), 0), 0);
  EXPECT_EQ(pairValue("ZZ", 0), 0);
  EXPECT_EQ(pairValue("A", 0), 0xA0);  // past the end counts as a non-digit
  EXPECT_EQ(pairValue("", 5), 0);
}

TEST(ReplyBytes, ConfigurationReplyFillsEverySlotUpToCardstack) {
  BoardStack s;
  s.CARDSTACK = 2;
  s.board[3].RDCFGbytes[0] = 0x77;
  PEC_Create_CFGRbyte_array_ADDR(s, "8102E00000000000A1");
  for (int slot = 0; slot <= 2; ++slot) {
    EXPECT_EQ(s.board[slot].RDCFGbytes, (std::array<std::uint8_t, 7>{0xE0, 0, 0, 0, 0, 0, 0})) << slot;
    EXPECT_EQ(s.board[slot].PECrx[state::index(ReadCommand::RDCFG)], 0xA1);
  }
  EXPECT_EQ(s.board[3].RDCFGbytes[0], 0x77);
  EXPECT_EQ(s.board[3].PECrx[state::index(ReadCommand::RDCFG)], 0);
}

TEST(ReplyBytes, OnlySlotZeroChangesForOneBoard) {
  BoardStack s;
  PEC_Create_FLGRbyte_array_ADDR(s, "8106123456AB");
  EXPECT_EQ(s.board[0].RDFLGbytes, (std::array<std::uint8_t, 4>{0x12, 0x34, 0x56, 0}));
  EXPECT_EQ(s.board[0].PECrx[state::index(ReadCommand::RDFLG)], 0xAB);
  EXPECT_EQ(s.board[1].RDFLGbytes, (std::array<std::uint8_t, 4>{}));
}

TEST(ReplyBytes, TheEchoOfAddressAndCommandNeverCounts) {
  BoardStack a, b;
  PEC_Create_TMPRbyte_array_ADDR(a, "8108" "0102030405" "C4");
  PEC_Create_TMPRbyte_array_ADDR(b, "ZZZZ" "0102030405" "C4");
  EXPECT_EQ(a.board[0].RDTMPbytes, b.board[0].RDTMPbytes);
  EXPECT_EQ(a.board[0].RDTMPbytes, (std::array<std::uint8_t, 6>{1, 2, 3, 4, 5, 0}));
  EXPECT_EQ(a.board[0].PECrx, b.board[0].PECrx);
}

TEST(ReplyBytes, ABufferThatNeverReceivedAReplyGivesZeros) {
  BoardStack s;
  s.board[0].RDCVbytes.fill(0x5A);
  s.board[0].PECrx.fill(0x5A);
  PEC_Create_CVRbyte_array_ADDR(s, std::string(42, ' '));
  for (int i = 0; i < 19; ++i) EXPECT_EQ(s.board[0].RDCVbytes[i], i < 18 ? 0 : 0x5A) << i;
  EXPECT_EQ(s.board[0].PECrx[state::index(ReadCommand::RDCV)], 0);
  // All zeros with a PEC of zero verifies.
  PecTable t;
  PECload(t);
  PEC_GUI_RDCV_Calc_ADDR(s, t);
  EXPECT_EQ(s.board[0].PECcalc[state::index(ReadCommand::RDCV)], 0);
}

TEST(ReplyBytes, ArbitraryBytesAndLengthsNeverBreakTheConversion) {
  std::mt19937 rng(7);
  BoardStack s;
  s.CARDSTACK = 9;
  for (int round = 0; round < 2000; ++round) {
    std::string reply(rng() % 60, '\0');
    for (char& c : reply) c = static_cast<char>(rng() & 0xFF);
    for (ReadCommand c : {ReadCommand::RDCFG, ReadCommand::RDCV, ReadCommand::RDFLG, ReadCommand::RDTMP})
      createByteArray(s, reply, c);
  }
  // The spare slot is never written.
  EXPECT_EQ(s.board[10].RDCVbytes, (std::array<std::uint8_t, 19>{}));
  EXPECT_EQ(s.board[0].RDCVbytes[18], 0);
}

}  // namespace
}  // namespace kestrav::link
