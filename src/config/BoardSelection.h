#pragma once
// Stack size, board selection, board addresses and the broadcast choice of
// six commands.

#include "context/Monitor.h"

namespace kestrav::config {

using context::Monitor;

void INITIAL_BRDaddress(Monitor& m);
void INITIAL_BROADCASTcmd(Monitor& m);
void UPDATE_Command4_Caption(Monitor& m);

// Selects board `index` (0..9) and refreshes every display for it.
void Command4_Click(Monitor& m, int index);
// Applies the stack size chosen in Combo1.
void Combo1_Click(Monitor& m);
// Applies the address digit chosen in Combo2 to the selected board.
void Combo2_Click(Monitor& m);
// Sets Combo2 from the selected board's address.
void UPDATE_Combo1(Monitor& m);

// Stores broadcast box `index` into the selected board's flags and restyles it.
void Check5_Click(Monitor& m, int index);
// Sets the six broadcast boxes from the selected board's flags.
void UPDATE_Check5(Monitor& m);

}  // namespace kestrav::config
