#pragma once
// WRCFG: writing the selected board's prepared configuration to the stack.

#include "app/Monitor.h"

namespace kestrav::commands {

// In global mode, copies the selected board's thresholds to every board of the stack.
void SET_GLOBAL_CFGR(app::Monitor& m);
void WRCFG_BROADCAST(app::Monitor& m);

}  // namespace kestrav::commands
