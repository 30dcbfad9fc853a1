#include "commands/Starts.h"

#include "link/CommandStrings.h"

namespace kestrav::commands {

using state::Broadcastable;

namespace {

void sent(context::Monitor& m, Broadcastable c) {
  // Voltages read before a cell conversion start no longer count.
  if (c == Broadcastable::STCVAD || c == Broadcastable::STOWAD) m.stack.RDCVflag = 0;
}

void sendStart(context::Monitor& m, Broadcastable c) {
  m.link.send(link::startCommandString(m.stack, c));
  sent(m, c);
}

}  // namespace

void sendBroadcastStart(context::Monitor& m, Broadcastable c) {
  m.link.send(link::broadcastStartString(c));
  sent(m, c);
}

void STCVAD_BROADCAST(context::Monitor& m) { sendStart(m, Broadcastable::STCVAD); }
void STOWAD_BROADCAST(context::Monitor& m) { sendStart(m, Broadcastable::STOWAD); }

void STTMPAD_BROADCAST(context::Monitor& m) { sendStart(m, Broadcastable::STTMPAD); }
void PLADC_BROADCAST(context::Monitor& m) { sendStart(m, Broadcastable::PLADC); }
void PLINT_BROADCAST(context::Monitor& m) { sendStart(m, Broadcastable::PLINT); }

}  // namespace kestrav::commands
