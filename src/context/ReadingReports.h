#pragma once
// The one line a read routine adds after storing its reading: hands what
// BoardStack now holds for that board to the monitor's reading observer.

#include "context/Monitor.h"
#include "state/BoardStack.h"

namespace kestrav::context {

void reportAcceptedRead(Monitor& m, state::ReadCommand c, int board);

// After the statuses of the stack were painted.
void reportStatuses(Monitor& m);

}  // namespace kestrav::context
