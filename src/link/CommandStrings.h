#pragma once
// The ASCII command strings the bridge takes. Grammar: "MSx", then byte
// tokens ("T"/"S" + two upper-case hex digits sent to the chip, "R" one byte
// clocked in from the chip), then "X". Addressed frames carry the board
// address before the command code; broadcast frames only the code. No string
// carries a PEC byte.

#include <string>

#include "state/BoardStack.h"

namespace kestrav::link {

using state::BoardStack;
using state::Broadcastable;
using state::ReadCommand;

inline constexpr const char* kIdentifyCommand = "IZ";

// Chip command codes.
int commandCode(ReadCommand c);    // 02 RDCFG, 04 RDCV, 06 RDFLG, 08 RDTMP
int commandCode(Broadcastable c);  // 40 PLADC, 50 PLINT, 10 STCVAD, 20 STOWAD, 30 STTMPAD, 01 WRCFG

// Register bytes a read returns before the chip's PEC: 6, 18, 3, 5.
int registerCount(ReadCommand c);

// The board a read goes to: BRDread while a cycle runs (OnOff = 1), else BRDnumber.
int readTargetBoard(const BoardStack& s);

// The read of `c` from the board readTargetBoard(s); always addressed.
std::string readCommandString(const BoardStack& s, ReadCommand c);

// The configuration write of the selected board's CFGRset, broadcast or
// addressed by that board's WRCFG broadcast flag.
std::string writeConfigString(const BoardStack& s);

// A conversion start or poll (PLADC, PLINT, STCVAD, STOWAD, STTMPAD),
// broadcast or addressed by the selected board's flag for that command.
std::string startCommandString(const BoardStack& s, Broadcastable c);

// The broadcast form of a conversion start or poll ("MSxS10X"), whatever
// the boards' broadcast flags say.
std::string broadcastStartString(Broadcastable c);

}  // namespace kestrav::link
