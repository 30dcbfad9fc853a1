#include "link/ReplyBytes.h"

#include "link/CommandStrings.h"
#include "state/HexText.h"

namespace kestrav::link {

using state::ReadCommand;

std::uint8_t pairValue(std::string_view reply, std::size_t pos) {
  const int hi = pos < reply.size() ? state::hexDigitValue(reply[pos]) : -1;
  const int lo = pos + 1 < reply.size() ? state::hexDigitValue(reply[pos + 1]) : -1;
  return static_cast<std::uint8_t>(((hi < 0 ? 0 : hi) << 4) | (lo < 0 ? 0 : lo));
}

std::span<std::uint8_t> registerBytes(state::BoardRecord& b, ReadCommand c) {
  switch (c) {
    case ReadCommand::RDCFG: return b.RDCFGbytes;
    case ReadCommand::RDCV: return b.RDCVbytes;
    case ReadCommand::RDFLG: return b.RDFLGbytes;
    case ReadCommand::RDTMP: break;
  }
  return b.RDTMPbytes;
}

std::span<const std::uint8_t> registerBytes(const state::BoardRecord& b, ReadCommand c) {
  return registerBytes(const_cast<state::BoardRecord&>(b), c);
}

void createByteArray(state::BoardStack& s, std::string_view reply, ReadCommand c) {
  const int n = registerCount(c);
  // Every slot of the stack receives the same, last reply: the verification
  // looks at the selected board's slot whichever board was read.
  for (int slot = 0; slot <= s.CARDSTACK && slot < state::kBoardSlots; ++slot) {
    std::span<std::uint8_t> bytes = registerBytes(s.board[slot], c);
    std::size_t pos = 4;  // characters 1..4 echo the address and command code
    for (int b = 0; b < n; ++b, pos += 2) bytes[static_cast<std::size_t>(b)] = pairValue(reply, pos);
    s.board[slot].PECrx[state::index(c)] = pairValue(reply, pos);
  }
}

void PEC_Create_CFGRbyte_array_ADDR(state::BoardStack& s, std::string_view r) { createByteArray(s, r, ReadCommand::RDCFG); }
void PEC_Create_CVRbyte_array_ADDR(state::BoardStack& s, std::string_view r) { createByteArray(s, r, ReadCommand::RDCV); }
void PEC_Create_FLGRbyte_array_ADDR(state::BoardStack& s, std::string_view r) { createByteArray(s, r, ReadCommand::RDFLG); }
void PEC_Create_TMPRbyte_array_ADDR(state::BoardStack& s, std::string_view r) { createByteArray(s, r, ReadCommand::RDTMP); }

}  // namespace kestrav::link
