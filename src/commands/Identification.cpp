#include "commands/Identification.h"

#include <chrono>
#include <string>

#include "context/Shutdown.h"

namespace kestrav::commands {

namespace {
constexpr std::chrono::seconds kAskAgainWithin{1};
}  // namespace

void IDENTIFY_BRIDGE(context::Monitor& m) {
  const std::string reply = m.link.identify();
  m.identifiedAt = m.clock.now();
  m.identification = reply.substr(0, 9);
  m.stack.Initialize = m.identification == kExpectedChip ? state::kTrue : state::kFalse;
  m.ui.Label_IDstring.setText(m.identification);
}

bool bridgeStillThere(context::Monitor& m) {
  IDENTIFY_BRIDGE(m);
  // A bridge that is really gone answers nothing to each question, each
  // within its time-outs (a quarter of a second), so the asking ends well
  // within the second.
  const auto firstAsked = std::chrono::steady_clock::now();
  for (int again = 0; again < m.identificationRetries && m.stack.Initialize == state::kFalse &&
                      std::chrono::steady_clock::now() - firstAsked < kAskAgainWithin;
       ++again)
    IDENTIFY_BRIDGE(m);
  if (m.stack.Initialize != state::kFalse) return true;
  context::endOnLostBridge(m);
  return false;
}

}  // namespace kestrav::commands
