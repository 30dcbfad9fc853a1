#pragma once
// RDCV: reading the twelve cell voltages of one board.

#include <string>
#include <string_view>

#include "context/Monitor.h"

namespace kestrav::commands {

void RDCV_ADDRESSABLE_PEC(context::Monitor& m);

// The chip packs two 12-bit readings into three register bytes B0 B1 B2:
// the first is B1's low nibble over B0, the second B2 over B1's high nibble.
// These cut a reading's three hex digits straight from the reply text, as
// the digits stand there; `firstByte` is the register index of B0.
std::string firstPackedReading(std::string_view reply, int firstByte);
std::string secondPackedReading(std::string_view reply, int firstByte);

// A reading's hex text as a number; a character that is no hex digit counts
// as a zero digit.
int readingCode(std::string_view hexText);

// Stores the hex text and its value in volts at one reading number.
void storeReading(state::BoardStack& s, int readingNumber, std::string hexText);

}  // namespace kestrav::commands
