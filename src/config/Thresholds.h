#pragma once
// Entry of the under- and over-voltage thresholds (CFGR4, CFGR5) in volts.

#include "app/Monitor.h"

namespace kestrav::config {

using app::Monitor;

void Text2_GotFocus(Monitor& m, int index);
// Returns the key to accept, 0 to swallow it.
int Text2_Keypress(Monitor& m, int index, int keyAscii);
void Text2_LostFocus(Monitor& m, int index);
void Command2_Click(Monitor& m, int index);  // 0 VUV down, 1 VUV up, 2 VOV down, 3 VOV up
// Writes CFGRset[4], [5] from the codes and shows both thresholds in volts.
void DISPLAY_VUV_VOV(Monitor& m);

}  // namespace kestrav::config
