#include "commands/ReadCells.h"

namespace kestrav::commands {

// The cell-voltage read is not built yet.
void RDCV_ADDRESSABLE_PEC(app::Monitor&) {}

}  // namespace kestrav::commands
