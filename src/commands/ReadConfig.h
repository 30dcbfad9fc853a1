#pragma once
// RDCFG: reading a board's configuration back and comparing it with what
// was prepared for it.

#include "context/Monitor.h"

namespace kestrav::commands {

void RDCFG_ADDRESSABLE_PEC(context::Monitor& m);
// The thresholds read back (CFGR4 VUV, CFGR5 VOV) of every board in the
// stack as volt texts ("2.160V ").
void READ_VUV_VOV(context::Monitor& m);
// Marks red each read-back byte of the selected board that differs from the
// byte prepared for it.
void Compare_CFGR(context::Monitor& m);

}  // namespace kestrav::commands
