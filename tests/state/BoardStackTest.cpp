#include <gtest/gtest.h>

#include "state/BoardStack.h"

namespace kestrav::state {
namespace {

TEST(BoardStack, DefaultsOfEveryBoard) {
  BoardStack s;
  for (int b = 0; b < kBoards; ++b) {
    const BoardRecord& r = s.board[b];
    EXPECT_EQ(r.CFGRset, (std::array<std::string, 6>{"E0", "00", "00", "00", "00", "00"})) << b;
    for (int f : r.BCASTflag) EXPECT_EQ(f, 0);
    EXPECT_EQ(r.CDCmode, 0);
    EXPECT_EQ(r.VUVcode, 0);
    EXPECT_EQ(r.VOVcode, 0);
    EXPECT_FALSE(r.DCCbit[12]);
    EXPECT_EQ(r.RDCVbytes.size(), 19u);
    EXPECT_EQ(r.RDCFGbytes.size(), 7u);
    EXPECT_EQ(r.RDFLGbytes.size(), 4u);
    EXPECT_EQ(r.RDTMPbytes.size(), 6u);
  }
  const char* expected[] = {"81", "82", "83", "84", "85", "86", "87", "88", "89", "8A"};
  for (int b = 0; b < kBoards; ++b) EXPECT_EQ(s.board[b].BRDaddress, expected[b]);
  EXPECT_EQ(s.PEC_RDCFG, kTrue);
  EXPECT_EQ(s.PEC_RDCV, kTrue);
  EXPECT_EQ(s.PEC_RDFLG, kTrue);
  EXPECT_EQ(s.PEC_RDTMP, kTrue);
  EXPECT_EQ(s.GLOBALCFGRflag, 1);
  EXPECT_EQ(s.Initialize, 0);
}

TEST(BoardStack, ReadingNumbersShareOneIndexForCellsAndTemperatures) {
  EXPECT_EQ(cellReading(0, 1), 1);
  EXPECT_EQ(cellReading(9, 12), 120);  // cell 12 of board 10
  EXPECT_EQ(temperatureReading(0, 0), 121);  // ETMP1 of board 1
  EXPECT_EQ(temperatureReading(9, 2), 150);  // ITMP of board 10
  EXPECT_EQ(statusIndex(9, 12), 119);
  EXPECT_EQ(statusIndex(3, 1), cellReading(3, 1) - 1);
  BoardStack s;
  EXPECT_EQ(s.READINGhex.size(), 151u);
  EXPECT_EQ(s.READINGvolts.size(), 151u);
  EXPECT_EQ(s.CELLstatus.size(), 121u);
}

TEST(BoardStack, VerdictByReadCommand) {
  BoardStack s;
  s.verdict(ReadCommand::RDFLG) = kFalse;
  EXPECT_EQ(s.PEC_RDFLG, kFalse);
  EXPECT_EQ(s.PEC_RDCV, kTrue);
  s.verdict(ReadCommand::RDTMP) = kFalse;
  EXPECT_EQ(s.PEC_RDTMP, kFalse);
}

}  // namespace
}  // namespace kestrav::state
