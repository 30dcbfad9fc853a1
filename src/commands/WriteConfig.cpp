#include "commands/WriteConfig.h"

namespace kestrav::commands {

// The configuration write is not built yet.
void SET_GLOBAL_CFGR(app::Monitor&) {}
void WRCFG_BROADCAST(app::Monitor&) {}

}  // namespace kestrav::commands
