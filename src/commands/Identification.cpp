#include "commands/Identification.h"

#include <string>

#include "context/Shutdown.h"

namespace kestrav::commands {

void IDENTIFY_BRIDGE(context::Monitor& m) {
  const std::string reply = m.link.identify();
  m.identifiedAt = m.clock.now();
  m.identification = reply.substr(0, 9);
  m.stack.Initialize = m.identification == kExpectedChip ? state::kTrue : state::kFalse;
  m.ui.Label_IDstring.setText(m.identification);
}

bool bridgeStillThere(context::Monitor& m) {
  IDENTIFY_BRIDGE(m);
  if (m.stack.Initialize != state::kFalse) return true;
  context::endOnLostBridge(m);
  return false;
}

}  // namespace kestrav::commands
