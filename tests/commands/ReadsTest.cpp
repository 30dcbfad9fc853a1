#include <gtest/gtest.h>

#include "commands/ReadCells.h"
#include "commands/ReadConfig.h"
#include "commands/ReadFlags.h"
#include "commands/ReadTemps.h"
#include "commands/ReplyText.h"
#include "support/MonitorFixture.h"

namespace kestrav::commands {
namespace {

using test::Bytes;
using test::MonitorFixture;

context::Monitor& started(MonitorFixture& f, int boards) {
  context::Monitor& m = f.start();
  m.ui.Combo1.setListIndex(boards - 1);
  f.script->written.clear();
  f.script->ops.clear();
  return m;
}

TEST(ReadCells, UnpacksTwelveBitCodesOfTheSelectedBoardIntoItsReadingNumbers) {
  MonitorFixture f;
  context::Monitor& m = started(f, 4);
  m.ui.Command4[2].raiseClick();
  f.script->written.clear();
  f.script->ops.clear();
  Bytes b(18, 0x00);
  b[0] = 0x12;
  b[1] = 0x34;
  b[2] = 0x56;
  b[15] = 0xFF;  // cells 11 and 12 at full scale
  b[16] = 0xFF;
  b[17] = 0xFF;
  f.script->replies.push_back(test::goodReply(b));
  RDCV_ADDRESSABLE_PEC(m);
  EXPECT_EQ(f.script->ops, (std::vector<std::string>{"open", "timeouts 1000/1000",
                                                     "write MSxT83T04RRRRRRRRRRRRRRRRRRRX", "read 42", "close"}));
  const state::BoardStack& s = m.stack;
  EXPECT_EQ(s.READINGhex[25], "412");
  EXPECT_NEAR(s.READINGvolts[25], 1042 * 6.144 / 4095, 1e-6);
  EXPECT_EQ(s.READINGhex[26], "563");
  EXPECT_NEAR(s.READINGvolts[26], 1379 * 6.144 / 4095, 1e-6);
  EXPECT_EQ(s.READINGhex[27], "000");
  EXPECT_EQ(s.READINGhex[35], "FFF");
  EXPECT_FLOAT_EQ(s.READINGvolts[36], 6.144f);
  EXPECT_EQ(s.RDCVflag, 1);
  EXPECT_EQ(m.ui.Text1[0].text(), " 1.563V  ");
  EXPECT_EQ(m.ui.Text1[1].text(), " 2.069V  ");
  EXPECT_EQ(m.ui.Text1[2].text(), " 0.000V  ");
  EXPECT_EQ(m.ui.Text1[11].text(), " 6.144V  ");
  // Other boards' readings untouched.
  EXPECT_EQ(s.READINGhex[24], "");
  EXPECT_EQ(s.READINGhex[37], "");
}

TEST(ReadCells, KeepsTheDigitsAsTheyStandInTheReplyAndReadsEitherCase) {
  MonitorFixture f;
  context::Monitor& m = started(f, 1);
  Bytes b(18, 0x00);
  b[0] = 0xBC;
  b[1] = 0x0A;
  std::string reply = test::goodReply(b);
  for (char& ch : reply) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  f.script->replies.push_back(reply);
  RDCV_ADDRESSABLE_PEC(m);
  EXPECT_EQ(m.stack.READINGhex[1], "abc");
  EXPECT_NEAR(m.stack.READINGvolts[1], 0xABC * 6.144 / 4095, 1e-6);
}

TEST(ReadCells, DuringACycleGoesToTheVisitedBoardAndLeavesTheScreenAlone) {
  MonitorFixture f;
  context::Monitor& m = started(f, 6);
  m.stack.OnOff = 1;
  m.stack.BRDread = 4;
  m.ui.Text1[0].setText("shown");
  f.script->replies.push_back(test::goodReply(Bytes(18, 0x77)));
  RDCV_ADDRESSABLE_PEC(m);
  EXPECT_EQ(f.script->written, (std::vector<std::string>{"MSxT85T04RRRRRRRRRRRRRRRRRRRX"}));
  for (int r = 49; r <= 60; ++r) EXPECT_EQ(m.stack.READINGhex[r], "777") << r;
  EXPECT_EQ(m.stack.READINGhex[1], "");
  EXPECT_EQ(m.ui.Text1[0].text(), "shown");
}

TEST(ReadTemps, UnpacksBothExternalAndTheInternalTemperature) {
  MonitorFixture f;
  context::Monitor& m = started(f, 1);
  f.script->replies.push_back(test::goodReply(Bytes{0x34, 0x12, 0x56, 0x78, 0xF9}));
  RDTMP_ADDRESSABLE_PEC(m);
  EXPECT_EQ(f.script->written, (std::vector<std::string>{"MSxT81T08RRRRRRX"}));
  const state::BoardStack& s = m.stack;
  EXPECT_EQ(s.READINGhex[121], "234");
  EXPECT_EQ(s.READINGhex[122], "561");
  EXPECT_EQ(s.READINGhex[123], "978");  // the high digit of TMPR4 carries nothing
  EXPECT_NEAR(s.READINGvolts[121], 564 * 6.144 / 4095, 1e-6);
  EXPECT_NEAR(s.READINGvolts[122], 1377 * 6.144 / 4095, 1e-6);
  EXPECT_NEAR(s.READINGvolts[123], 2424 * 6.144 / 4095, 1e-6);
  EXPECT_EQ(m.ui.Text6[0].text(), " 3.637V  ");  // ITMP on top
  EXPECT_EQ(m.ui.Text6[1].text(), " 0.846V  ");
  EXPECT_EQ(m.ui.Text6[2].text(), " 2.066V  ");
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(m.ui.Shape6[i].fillColor(), context::kRed);
    EXPECT_EQ(m.ui.Shape7[i].fillColor(), context::kRed);
    EXPECT_EQ(m.ui.Shape8[i].fillColor(), 0xE0E0E0u);
  }
}

TEST(ReadTemps, LandAtTheAddressedBoardsReadingNumbers) {
  MonitorFixture f;
  context::Monitor& m = started(f, 10);
  m.ui.Command4[9].raiseClick();
  f.script->replies.push_back(test::goodReply(Bytes{0x01, 0x20, 0x00, 0x03, 0x00}));
  RDTMP_ADDRESSABLE_PEC(m);
  EXPECT_EQ(f.script->written.back(), "MSxT8AT08RRRRRRX");
  EXPECT_EQ(m.stack.READINGhex[148], "001");
  EXPECT_EQ(m.stack.READINGhex[149], "002");
  EXPECT_EQ(m.stack.READINGhex[150], "003");

  m.stack.OnOff = 1;
  m.stack.BRDread = 2;
  m.ui.Text6[0].setText("shown");
  f.script->replies.push_back(test::goodReply(Bytes{0x01, 0x20, 0x00, 0x03, 0x00}));
  RDTMP_ADDRESSABLE_PEC(m);
  EXPECT_EQ(f.script->written.back(), "MSxT83T08RRRRRRX");
  EXPECT_EQ(m.stack.READINGhex[127], "001");
  EXPECT_EQ(m.stack.READINGhex[129], "003");
  EXPECT_EQ(m.ui.Text6[0].text(), "shown");
}

TEST(ReadFlags, StoresTheThreeBytesAsTwoUpperCaseDigitsOfTheAddressedBoard) {
  MonitorFixture f;
  context::Monitor& m = started(f, 5);
  std::string reply = test::goodReply(Bytes{0x01, 0x80, 0x0A});
  reply[9] = 'a';  // the bridge may answer in lower case
  f.script->replies.push_back(reply);
  RDFLG_ADDRESSABLE_PEC(m);
  EXPECT_EQ(f.script->written, (std::vector<std::string>{"MSxT81T06RRRRX"}));
  EXPECT_EQ(m.stack.board[0].FLGRread, (std::array<std::string, 3>{"01", "80", "0A"}));
  EXPECT_EQ(m.ui.Text7[0].text(), "  01   ");
  EXPECT_EQ(m.ui.Text7[2].text(), "  0A   ");

  m.stack.OnOff = 1;
  m.stack.BRDread = 3;
  f.script->replies.push_back(test::goodReply(Bytes{0xFF, 0x00, 0x10}));
  RDFLG_ADDRESSABLE_PEC(m);
  EXPECT_EQ(f.script->written.back(), "MSxT84T06RRRRX");
  EXPECT_EQ(m.stack.board[3].FLGRread, (std::array<std::string, 3>{"FF", "00", "10"}));
  EXPECT_EQ(m.stack.board[0].FLGRread[0], "01");
  EXPECT_EQ(m.ui.Text7[0].text(), "  FF   ");  // the flags shown follow the cycle
}

TEST(ReadConfig, StoresTheBytesShowsThemAndConvertsTheThresholdsOfEveryBoard) {
  MonitorFixture f;
  context::Monitor& m = started(f, 3);
  m.ui.Command4[1].raiseClick();
  std::string reply = test::goodReply(Bytes{0xE0, 0x00, 0x00, 0x0A, 0x5A, 0xA0});
  reply[4] = 'e';
  f.script->replies.push_back(reply);
  RDCFG_ADDRESSABLE_PEC(m);
  EXPECT_EQ(f.script->written.back(), "MSxT82T02RRRRRRRX");
  const state::BoardStack& s = m.stack;
  EXPECT_EQ(s.board[1].CFGRread, (std::array<std::string, 6>{"E0", "00", "00", "0A", "5A", "A0"}));
  EXPECT_EQ(s.RDCFGflag, 1);
  EXPECT_EQ(s.board[1].VUVread, "2.160V ");
  EXPECT_EQ(s.board[1].VOVread, "3.840V ");
  // Boards never read still get their texts.
  EXPECT_EQ(s.board[0].VUVread, "0.000V ");
  EXPECT_EQ(s.board[2].VOVread, "0.000V ");
  EXPECT_EQ(s.board[3].VUVread, "");  // beyond the stack
  EXPECT_EQ(m.ui.Text5[0].text(), "   E0   ");
  EXPECT_EQ(m.ui.Text5[3].text(), "   0A   ");

  f.script->replies.push_back(test::goodReply(Bytes{0, 0, 0, 0, 0xFF, 0x00}));
  RDCFG_ADDRESSABLE_PEC(m);
  EXPECT_EQ(s.board[1].VUVread, "6.120V ");
  EXPECT_EQ(s.board[1].VOVread, "0.000V ");
}

TEST(ReadConfig, DuringADatalogCycleReadsTheVisitedBoardButShowsTheSelectedOne) {
  MonitorFixture f;
  context::Monitor& m = started(f, 3);
  m.stack.OnOff = 1;
  m.stack.BRDread = 2;
  f.script->replies.push_back(test::goodReply(Bytes{0xE1, 0, 0, 0, 0, 0}));
  RDCFG_ADDRESSABLE_PEC(m);
  EXPECT_EQ(f.script->written.back(), "MSxT83T02RRRRRRRX");
  EXPECT_EQ(m.stack.board[2].CFGRread[0], "E1");
  EXPECT_EQ(m.stack.board[0].CFGRread[0], "");
  EXPECT_EQ(m.ui.Text5[0].text(), "      ");  // board 0 has nothing read back
}

TEST(CompareConfig, MarksEveryReadBackByteThatDiffersFromThePreparedOne) {
  MonitorFixture f;
  context::Monitor& m = started(f, 2);
  state::BoardRecord& b = m.stack.board[0];
  // Never read: everything prepared other than 00 differs.
  Compare_CFGR(m);
  EXPECT_EQ(m.ui.Text5[0].backColor(), context::kRed);
  for (int k = 1; k < 6; ++k) EXPECT_EQ(m.ui.Text5[k].backColor(), context::kWindowBackground) << k;

  b.CFGRset = {"E0", "0", "00", "01", "5A", "A0"};
  b.CFGRread = {"E0", "00", "80", "00", "5a", "A1"};
  Compare_CFGR(m);
  const std::uint32_t expected[] = {context::kWindowBackground, context::kWindowBackground, context::kRed,
                                    context::kRed,              context::kWindowBackground, context::kRed};
  for (int k = 0; k < 6; ++k) EXPECT_EQ(m.ui.Text5[k].backColor(), expected[k]) << k;

  // Another board's read-back never colours the selected board's row.
  m.stack.board[1].CFGRread = {"00", "00", "00", "00", "00", "00"};
  b.CFGRread = b.CFGRset;
  Compare_CFGR(m);
  for (int k = 0; k < 6; ++k) EXPECT_EQ(m.ui.Text5[k].backColor(), context::kWindowBackground) << k;
}

}  // namespace
}  // namespace kestrav::commands
