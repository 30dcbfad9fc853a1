#include "commands/ReadFlags.h"

namespace kestrav::commands {

// The flag read is not built yet.
void RDFLG_ADDRESSABLE_PEC(app::Monitor&) {}

}  // namespace kestrav::commands
