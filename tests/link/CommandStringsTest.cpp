#include <gtest/gtest.h>

#include "link/BridgeLink.h"
#include "link/CommandStrings.h"

namespace kestrav::link {
namespace {

using state::Broadcastable;
using state::index;

std::string rs(int n) { return std::string(static_cast<std::size_t>(n), 'R'); }

TEST(CommandStrings, ReadsOfTheSelectedBoardWithTheirLengthsAndReplyCounts) {
  BoardStack s;
  struct Row {
    ReadCommand c;
    std::string text;
    std::size_t length, requested;
  } rows[] = {
      {ReadCommand::RDCFG, "MSxT81T02RRRRRRRX", 17, 18},
      {ReadCommand::RDCV, "MSxT81T04" + rs(19) + "X", 29, 42},
      {ReadCommand::RDFLG, "MSxT81T06RRRRX", 14, 12},
      {ReadCommand::RDTMP, "MSxT81T08RRRRRRX", 16, 16},
  };
  for (const Row& r : rows) {
    const std::string cmd = readCommandString(s, r.c);
    EXPECT_EQ(cmd, r.text);
    EXPECT_EQ(cmd.size(), r.length);
    EXPECT_EQ(replyLength(r.c), r.requested);
    // Two characters per T and per R token.
    const auto tokens = std::count(cmd.begin(), cmd.end(), 'T') + std::count(cmd.begin(), cmd.end(), 'R');
    EXPECT_EQ(static_cast<std::size_t>(tokens) * 2, r.requested);
  }
  // Reads are addressed even when every broadcast flag is set.
  s.board[0].BCASTflag.fill(1);
  EXPECT_EQ(readCommandString(s, ReadCommand::RDFLG), "MSxT81T06RRRRX");
}

TEST(CommandStrings, ConfigurationWriteBroadcastOrAddressed) {
  BoardStack s;
  EXPECT_EQ(writeConfigString(s), "MSxT81T01SE0S00S00S00S00S00X");
  EXPECT_EQ(writeConfigString(s).size(), 28u);
  s.board[0].BCASTflag[index(Broadcastable::WRCFG)] = 1;
  EXPECT_EQ(writeConfigString(s), "MSxT01SE0S00S00S00S00S00X");
  EXPECT_EQ(writeConfigString(s).size(), 25u);
  // The selected board's registers and address.
  s.BRDnumber = 2;
  s.board[2].CFGRset = {"E8", "01", "0F", "A0", "81", "AF"};
  EXPECT_EQ(writeConfigString(s), "MSxT83T01SE8S01S0FSA0S81SAFX");
}

TEST(CommandStrings, StartsAndPollsBroadcastOrAddressed) {
  BoardStack s;
  s.BRDnumber = 2;
  const std::pair<Broadcastable, const char*> codes[] = {{Broadcastable::STCVAD, "10"},
                                                         {Broadcastable::STOWAD, "20"},
                                                         {Broadcastable::STTMPAD, "30"},
                                                         {Broadcastable::PLADC, "40"},
                                                         {Broadcastable::PLINT, "50"}};
  for (auto [c, code] : codes) {
    EXPECT_EQ(startCommandString(s, c), std::string("MSxS83S") + code + "X");
    EXPECT_EQ(startCommandString(s, c).size(), 10u);
    s.board[2].BCASTflag[index(c)] = 1;
    EXPECT_EQ(startCommandString(s, c), std::string("MSxS") + code + "X");
    EXPECT_EQ(startCommandString(s, c).size(), 7u);
  }
}

TEST(CommandStrings, ReadsFollowTheCycleWhileStartsFollowTheSelection) {
  BoardStack s;
  s.OnOff = 1;
  s.BRDread = 4;
  s.BRDnumber = 0;
  EXPECT_EQ(readCommandString(s, ReadCommand::RDCV).substr(0, 9), "MSxT85T04");
  EXPECT_EQ(startCommandString(s, Broadcastable::STCVAD), "MSxS81S10X");
  s.OnOff = 0;
  EXPECT_EQ(readCommandString(s, ReadCommand::RDCV).substr(0, 9), "MSxT81T04");
  // A changed address is used as it stands.
  s.board[0].BRDaddress = "8F";
  EXPECT_EQ(readCommandString(s, ReadCommand::RDTMP), "MSxT8FT08RRRRRRX");
}

}  // namespace
}  // namespace kestrav::link
