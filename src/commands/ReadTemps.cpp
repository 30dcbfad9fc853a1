#include "commands/ReadTemps.h"

namespace kestrav::commands {

// The temperature read is not built yet.
void RDTMP_ADDRESSABLE_PEC(app::Monitor&) {}

}  // namespace kestrav::commands
