#include "commands/Identification.h"

#include <string>

namespace kestrav::commands {

void IDENTIFY_BRIDGE(context::Monitor& m) {
  const std::string reply = m.link.identify();
  m.identification = reply.substr(0, 9);
  m.stack.Initialize = m.identification == kExpectedChip ? state::kTrue : state::kFalse;
  m.ui.Label_IDstring.setText(m.identification);
}

void endForLostBridge(context::Monitor& m) {
  m.stack.OnOff = 0;
  m.end(context::kExitRefused);
}

bool bridgeStillThere(context::Monitor& m) {
  IDENTIFY_BRIDGE(m);
  if (m.stack.Initialize != state::kFalse) return true;
  endForLostBridge(m);
  return false;
}

}  // namespace kestrav::commands
