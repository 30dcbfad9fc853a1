#include "context/Monitor.h"

#include <utility>

namespace kestrav::context {

Monitor::Monitor(std::unique_ptr<link::BridgePort> port, Desktop& d, Clock& c)
    : link(std::move(port)), desktop(d), clock(c) {}

void Monitor::end(int status) {
  if (ended_) return;
  ended_ = true;
  exitStatus_ = status;
  ui.Timer1.setEnabled(false);
  if (runObserver != nullptr) runObserver->ended(*this);
  desktop.quit(status);
}

}  // namespace kestrav::context
