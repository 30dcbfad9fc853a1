#pragma once
// Cuts a read reply (hex text) into the register bytes and the chip's PEC
// byte (a ReadFrame) for every board slot 0..CARDSTACK.

#include <cstdint>
#include <span>
#include <string_view>

#include "state/BoardStack.h"

namespace kestrav::link {

// Byte value of the two characters at `pos` (0-based) of a reply. Either
// case is accepted; a pair in which neither character is a hex digit gives 0,
// and a non-digit beside a digit counts as 0 for its nibble. Positions past
// the end of the text read as non-digits.
std::uint8_t pairValue(std::string_view reply, std::size_t pos);

// The register-byte array of `c` in one board record (7, 19, 4 or 6 slots).
std::span<std::uint8_t> registerBytes(state::BoardRecord& b, state::ReadCommand c);
std::span<const std::uint8_t> registerBytes(const state::BoardRecord& b, state::ReadCommand c);

// Characters 5.. of the reply: register bytes, then the PEC byte.
void createByteArray(state::BoardStack& s, std::string_view reply, state::ReadCommand c);

void PEC_Create_CFGRbyte_array_ADDR(state::BoardStack& s, std::string_view RDCFGreply);
void PEC_Create_CVRbyte_array_ADDR(state::BoardStack& s, std::string_view RDCVreply);
void PEC_Create_FLGRbyte_array_ADDR(state::BoardStack& s, std::string_view RDFLGreply);
void PEC_Create_TMPRbyte_array_ADDR(state::BoardStack& s, std::string_view RDTMPreply);

}  // namespace kestrav::link
