#pragma once
// Serves a simulator on the master side of a pseudo-terminal, so that a
// program opening the slave path talks to it like to a serial bridge.

#include <string>

namespace kestrav::sim {

class Simulator;
class BridgeLine;

class PtyServer {
 public:
  // Opens the pseudo-terminal (raw mode). Throws std::runtime_error.
  PtyServer();
  ~PtyServer();
  PtyServer(const PtyServer&) = delete;
  PtyServer& operator=(const PtyServer&) = delete;

  const std::string& slavePath() const { return slavePath_; }

  // Answers everything written to the slave until `stopFd` becomes
  // readable (a signalfd). The answers travel the line the simulator's
  // options model (SimOptions::lineBaud, usbLatencyMs).
  void serve(Simulator& simulator, int stopFd);

 private:
  void readInput(BridgeLine& line);
  void flushOutput();

  int master_ = -1;
  // Our own handle on the slave: while it is open the master never sees a
  // hang-up, so clients may close and reopen the slave at will.
  int slaveKeeper_ = -1;
  std::string slavePath_;
  std::string output_;  // answers not yet taken by the terminal
};

}  // namespace kestrav::sim
