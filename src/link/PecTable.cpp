#include "link/PecTable.h"

#include "link/CommandStrings.h"
#include "link/ReplyBytes.h"

namespace kestrav::link {

using state::ReadCommand;

void PECload(PecTable& table) {
  table.entries = makeCrc8Table();
  table.loaded = true;
}

void calculatePec(state::BoardStack& s, const PecTable& table, ReadCommand c) {
  const std::size_t n = static_cast<std::size_t>(registerCount(c));
  for (int slot = 0; slot <= s.CARDSTACK && slot < state::kBoardSlots; ++slot) {
    std::span<const std::uint8_t> bytes = registerBytes(s.board[slot], c);
    s.board[slot].PECcalc[state::index(c)] = crc8(bytes.data(), n, table.entries);
  }
}

void PEC_GUI_RDCFG_Calc_ADDR(state::BoardStack& s, const PecTable& t) { calculatePec(s, t, ReadCommand::RDCFG); }
void PEC_GUI_RDCV_Calc_ADDR(state::BoardStack& s, const PecTable& t) { calculatePec(s, t, ReadCommand::RDCV); }
void PEC_GUI_RDFLG_Calc_ADDR(state::BoardStack& s, const PecTable& t) { calculatePec(s, t, ReadCommand::RDFLG); }
void PEC_GUI_RDTMP_Calc_ADDR(state::BoardStack& s, const PecTable& t) { calculatePec(s, t, ReadCommand::RDTMP); }

}  // namespace kestrav::link
