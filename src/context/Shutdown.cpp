#include "context/Shutdown.h"

#include <csignal>

#include "context/Monitor.h"

namespace kestrav::context {

namespace {

void saveBeforeEnd(Monitor& m) {
  if (m.ended() || !m.saveBeforeEnd || !datalogHoldsSamples(m)) return;
  m.endNote = m.saveBeforeEnd(m);
}

}  // namespace

bool datalogHoldsSamples(const Monitor& m) {
  return m.datalog.DATACOLLECTflag == 1 && (m.datalog.DATApoint > 1 || m.stack.CYCLEflag == 1);
}

void endOnLostBridge(Monitor& m) {
  m.stack.OnOff = 0;
  saveBeforeEnd(m);
  m.end(kExitRefused);
}

const char* signalName(int signalNumber) {
  switch (signalNumber) {
    case SIGTERM: return "SIGTERM";
    case SIGINT: return "SIGINT";
    case SIGHUP: return "SIGHUP";
    default: return "a signal";
  }
}

void endOnSignal(Monitor& m, int signalNumber) {
  saveBeforeEnd(m);
  m.end(128 + signalNumber);
}

}  // namespace kestrav::context
