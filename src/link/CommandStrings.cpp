#include "link/CommandStrings.h"

#include "state/HexText.h"

namespace kestrav::link {

using state::hexByte;
using state::index;

int commandCode(ReadCommand c) {
  constexpr int kCodes[] = {0x02, 0x04, 0x06, 0x08};
  return kCodes[index(c)];
}

int commandCode(Broadcastable c) {
  constexpr int kCodes[] = {0x40, 0x50, 0x10, 0x20, 0x30, 0x01};
  return kCodes[index(c)];
}

int registerCount(ReadCommand c) {
  constexpr int kCounts[] = {6, 18, 3, 5};
  return kCounts[index(c)];
}

int readTargetBoard(const BoardStack& s) { return s.OnOff == 1 ? s.BRDread : s.BRDnumber; }

std::string readCommandString(const BoardStack& s, ReadCommand c) {
  std::string out = "MSxT" + s.board[readTargetBoard(s)].BRDaddress + "T" + hexByte(commandCode(c));
  out.append(registerCount(c) + 1, 'R');  // register bytes plus the chip's PEC
  out += 'X';
  return out;
}

std::string writeConfigString(const BoardStack& s) {
  const state::BoardRecord& b = s.board[s.BRDnumber];
  std::string out = "MSx";
  if (b.BCASTflag[index(Broadcastable::WRCFG)] == 1)
    out += "T01";
  else
    out += "T" + b.BRDaddress + "T01";
  for (const std::string& reg : b.CFGRset) out += "S" + reg;
  out += 'X';
  return out;
}

std::string startCommandString(const BoardStack& s, Broadcastable c) {
  const state::BoardRecord& b = s.board[s.BRDnumber];
  return b.BCASTflag[index(c)] == 1 ? broadcastStartString(c) : "MSxS" + b.BRDaddress + "S" + hexByte(commandCode(c)) + "X";
}

std::string broadcastStartString(Broadcastable c) { return "MSxS" + hexByte(commandCode(c)) + "X"; }

}  // namespace kestrav::link
