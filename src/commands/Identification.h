#pragma once
// Asking the bridge who it is, and the one way the program ends when the
// bridge has gone: the heartbeat of every tick and a read that heard nothing
// at all both take it.

#include "context/Monitor.h"

namespace kestrav::commands {

inline constexpr const char* kExpectedChip = "KESTRAV-2";

// Asks the bridge who it is; sets Initialize (-1 match, 0 otherwise) and
// shows the nine characters in Label_IDstring.
void IDENTIFY_BRIDGE(context::Monitor& m);

// Identifies the bridge (asking again up to Monitor::identificationRetries
// times within a second); when it no longer names the chip, ends the
// program through context::endOnLostBridge (cycle off, the datalog saved,
// no message) and returns false.
bool bridgeStillThere(context::Monitor& m);

}  // namespace kestrav::commands
