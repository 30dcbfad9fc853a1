#pragma once
// The hexadecimal and volt texts every register value and reading is held
// and shown in.

#include <string>
#include <string_view>

namespace kestrav::state {

// Two upper-case hex digits with a leading zero: 10 -> "0A".
std::string hexByte(int value);

// Value of one hex digit (either case), or -1 for any other character.
int hexDigitValue(char c);

// The leading hexadecimal digits of a text as a number; empty or
// non-hex text gives 0 ("E0" -> 224, "" -> 0, "1G" -> 1).
int leadingHexValue(std::string_view text);

// Code of a 12-bit reading to volts: code * 6.144 / 4095, single precision.
float codeToVolts(int code);

// A reading in the " 0.000" + "V  " format (" 3.600V  ").
std::string readingText(float volts);

// Format a value with a fixed number of decimals ("0.000" pattern, at least
// one integer digit).
std::string fixed(double value, int decimals);

}  // namespace kestrav::state
