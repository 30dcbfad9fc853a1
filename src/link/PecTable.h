#pragma once
// The PEC lookup table built at start-up and the routines that compute the
// CRC-8 over the register bytes of the last reply of each read command.

#include <cstdint>

#include "link/Crc8.h"
#include "state/BoardStack.h"

namespace kestrav::link {

struct PecTable {
  Crc8Table entries{};
  bool loaded = false;
  std::uint8_t operator[](int i) const { return entries[static_cast<std::size_t>(i & 0xFF)]; }
};

// Fills the table (once per run, at start-up).
void PECload(PecTable& table);

// CRC-8 over the register bytes of `c` for every slot 0..CARDSTACK, into
// PECcalc of that command; slots above CARDSTACK keep their values.
void calculatePec(state::BoardStack& s, const PecTable& table, state::ReadCommand c);

void PEC_GUI_RDCFG_Calc_ADDR(state::BoardStack& s, const PecTable& table);
void PEC_GUI_RDCV_Calc_ADDR(state::BoardStack& s, const PecTable& table);
void PEC_GUI_RDFLG_Calc_ADDR(state::BoardStack& s, const PecTable& table);
void PEC_GUI_RDTMP_Calc_ADDR(state::BoardStack& s, const PecTable& table);

}  // namespace kestrav::link
