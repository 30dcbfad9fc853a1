#pragma once
// RDCFG: reading a board's configuration back and comparing it with what
// was prepared for it.

#include "app/Monitor.h"

namespace kestrav::commands {

void RDCFG_ADDRESSABLE_PEC(app::Monitor& m);
void Compare_CFGR(app::Monitor& m);

}  // namespace kestrav::commands
