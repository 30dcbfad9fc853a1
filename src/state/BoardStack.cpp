#include "state/BoardStack.h"

#include "state/HexText.h"

namespace kestrav::state {

std::string defaultAddress(int boardIndex) { return hexByte(0x81 + boardIndex); }

BoardStack::BoardStack() {
  for (int i = 0; i < kBoards; ++i) board[i].BRDaddress = defaultAddress(i);
}

int& BoardStack::verdict(ReadCommand c) {
  switch (c) {
    case ReadCommand::RDCFG: return PEC_RDCFG;
    case ReadCommand::RDCV: return PEC_RDCV;
    case ReadCommand::RDFLG: return PEC_RDFLG;
    case ReadCommand::RDTMP: break;
  }
  return PEC_RDTMP;
}

}  // namespace kestrav::state
