#include <gtest/gtest.h>

#include <cstring>

#include "link/PecTable.h"

namespace kestrav::link {
namespace {

using state::BoardStack;
using state::ReadCommand;

TEST(Pec, TableMatchesTheSmbusCrc8) {
  PecTable t;
  PECload(t);
  const std::uint8_t first[16] = {0x00, 0x07, 0x0E, 0x09, 0x1C, 0x1B, 0x12, 0x15,
                                  0x38, 0x3F, 0x36, 0x31, 0x24, 0x23, 0x2A, 0x2D};
  for (int i = 0; i < 16; ++i) EXPECT_EQ(t[i], first[i]) << i;
  EXPECT_EQ(t[255], 0xF3);
  EXPECT_TRUE(t.loaded);
}

TEST(Pec, CheckValues) {
  const char* text = "123456789";
  EXPECT_EQ(crc8(reinterpret_cast<const std::uint8_t*>(text), std::strlen(text)), 0xF4);
  const std::uint8_t defaults[6] = {0xE0, 0, 0, 0, 0, 0};
  EXPECT_EQ(crc8(defaults, 6), 0xA1);
  const std::uint8_t zeros[18] = {};
  EXPECT_EQ(crc8(zeros, 18), 0x00);
  const std::uint8_t one = 0x01, zero = 0x00;
  EXPECT_EQ(crc8(&one, 1), 0x07);
  EXPECT_EQ(crc8(&zero, 1), 0x00);
}

TEST(Pec, ComputedOverRegisterBytesOfSlotsUpToCardstackOnly) {
  PecTable t;
  PECload(t);
  BoardStack s;
  s.CARDSTACK = 3;
  for (int slot = 0; slot < state::kBoardSlots; ++slot) {
    s.board[slot].RDCFGbytes = {0xE0, 0, 0, 0, 0, 0, 0x55};  // the spare slot must not enter
    s.board[slot].PECcalc.fill(0x99);
  }
  PEC_GUI_RDCFG_Calc_ADDR(s, t);
  for (int slot = 0; slot <= 3; ++slot) EXPECT_EQ(s.board[slot].PECcalc[0], 0xA1) << slot;
  for (int slot = 4; slot < state::kBoardSlots; ++slot) EXPECT_EQ(s.board[slot].PECcalc[0], 0x99) << slot;
  // Other commands' results are untouched.
  EXPECT_EQ(s.board[0].PECcalc[state::index(ReadCommand::RDCV)], 0x99);

  s.CARDSTACK = 0;
  s.board[0].RDFLGbytes = {0x01, 0, 0, 0};
  s.board[1].RDFLGbytes = {0x01, 0, 0, 0};
  PEC_GUI_RDFLG_Calc_ADDR(s, t);
  EXPECT_EQ(s.board[0].PECcalc[state::index(ReadCommand::RDFLG)], crc8(s.board[0].RDFLGbytes.data(), 3));
  EXPECT_EQ(s.board[1].PECcalc[state::index(ReadCommand::RDFLG)], 0x99);
}

}  // namespace
}  // namespace kestrav::link
