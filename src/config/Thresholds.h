#pragma once
// Entry of the under- and over-voltage thresholds (CFGR4, CFGR5) in volts.

#include <string_view>

#include "context/Monitor.h"

namespace kestrav::config {

using context::Monitor;

inline constexpr const char* kThresholdRangeMessage = "Only Enter Values Between 0.000V and 6.120V.";
inline constexpr const char* kThresholdOrderMessage = "VUV must be less than VOV";

void Text2_GotFocus(Monitor& m, int index);
// Returns the key to accept, 0 to swallow it.
int Text2_Keypress(Monitor& m, int index, int keyAscii);
// The key filter of the threshold boxes: trims the box's text, accepts
// backspace, digits, one "." and a leading "-"; Enter moves the focus to the
// "WRITE CONFIG" button, which applies the typed value.
int NUMERIC_KEYfilter(Monitor& m, context::Control& box, int keyAscii);
void Text2_LostFocus(Monitor& m, int index);
void Command2_Click(Monitor& m, int index);  // 0 VUV down, 1 VUV up, 2 VOV down, 3 VOV up
// Writes CFGRset[4], [5] from the codes and shows both thresholds in volts.
void DISPLAY_VUV_VOV(Monitor& m);

// The code a box keeps for `volts`: the nearest 0.024 V step, halves to the
// even neighbour (the default rounding mode), in single precision as the
// codes were always computed. For volts within 0.000-6.120 V only.
int thresholdCode(float volts);
// Why the boxes refuse the pair: the window's message (range first, then
// order), or nullptr when both are within 0.000-6.120 V and VUV's code is
// below VOV's. Every way into the thresholds (the boxes, the command
// lines, scripts, configuration files) judges a pair by this one rule.
const char* thresholdPairFault(float vuv, float vov);

// The number a box's text starts with ("4.2V " -> 4.2, "-1.5" -> -1.5);
// no number at the start, or an empty text, gives 0.
float leadingNumber(std::string_view text);

}  // namespace kestrav::config
