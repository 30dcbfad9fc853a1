#include "commands/Starts.h"

#include "link/CommandStrings.h"

namespace kestrav::commands {

using state::Broadcastable;

namespace {
void sendStart(context::Monitor& m, Broadcastable c) { m.link.send(link::startCommandString(m.stack, c)); }
}  // namespace

void STCVAD_BROADCAST(context::Monitor& m) {
  sendStart(m, Broadcastable::STCVAD);
  m.stack.RDCVflag = 0;  // voltages read before this start no longer count
}

void STOWAD_BROADCAST(context::Monitor& m) {
  sendStart(m, Broadcastable::STOWAD);
  m.stack.RDCVflag = 0;
}

void STTMPAD_BROADCAST(context::Monitor& m) { sendStart(m, Broadcastable::STTMPAD); }
void PLADC_BROADCAST(context::Monitor& m) { sendStart(m, Broadcastable::PLADC); }
void PLINT_BROADCAST(context::Monitor& m) { sendStart(m, Broadcastable::PLINT); }

}  // namespace kestrav::commands
