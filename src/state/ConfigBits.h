#pragma once
// Where each setting sits in the chip's six configuration registers
// CFGR0..CFGR5. A check box of the register rows is indexed by its bit, so
// these places are also the boxes that edit them.

namespace kestrav::state {

// CFGR0.
constexpr int kCdcMask = 0x07;  // CDC[2:0], the comparator duty cycle
constexpr int kCell10Bit = 3;   // 1: ten-cell reading
constexpr int kLvlplBit = 4;    // 1: level poll, 0: toggle poll
constexpr int kGpio1Bit = 5;    // 1: Hi-Z, 0: output low
constexpr int kGpio2Bit = 6;
constexpr int kSpareBit = 7;    // not used by the chip; kept as the user left it

// CFGR4 and CFGR5 hold the under- and over-voltage threshold codes.
constexpr int kVuvRegister = 4;
constexpr int kVovRegister = 5;

struct RegisterBit {
  int reg;  // 0..5
  int bit;  // 0..7
};

// The discharge switch of cell 1..12: DCC1..DCC8 in CFGR1, DCC9..DCC12 in
// the low half of CFGR2.
constexpr RegisterBit dischargeBit(int cell) {
  return cell <= 8 ? RegisterBit{1, cell - 1} : RegisterBit{2, cell - 9};
}

// The interrupt mask of cell 1..12: MCI1..MCI4 in the high half of CFGR2,
// MCI5..MCI12 in CFGR3.
constexpr RegisterBit maskBit(int cell) {
  return cell <= 4 ? RegisterBit{2, cell + 3} : RegisterBit{3, cell - 5};
}

}  // namespace kestrav::state
