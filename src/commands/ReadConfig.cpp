#include "commands/ReadConfig.h"

namespace kestrav::commands {

// The configuration read is not built yet: these routines keep their place
// in the board selection and the dispatcher.
void RDCFG_ADDRESSABLE_PEC(app::Monitor&) {}
void Compare_CFGR(app::Monitor&) {}

}  // namespace kestrav::commands
