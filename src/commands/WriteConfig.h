#pragma once
// WRCFG: writing the selected board's prepared configuration to the stack.

#include "context/Monitor.h"

namespace kestrav::commands {

// In global mode, copies the selected board's thresholds (CFGR4, CFGR5 and
// the codes behind them) to every board of the stack.
void SET_GLOBAL_CFGR(context::Monitor& m);
// Sends the selected board's six configuration bytes, broadcast or addressed
// by its WRCFG choice, and shows them as written.
void WRCFG_BROADCAST(context::Monitor& m);

}  // namespace kestrav::commands
