// kestrav-sim: the KESTRAV-2 bridge and boards on a pseudo-terminal.
// Prints the terminal's path on the first line of its output, then serves
// until SIGINT or SIGTERM.

#include <sys/signalfd.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "sim/PtyServer.h"
#include "sim/SimArgs.h"
#include "sim/Simulator.h"

int main(int argc, char** argv) {
  using namespace kestrav::sim;
  const SimArgs args = parseSimArgs(std::vector<std::string>(argv + 1, argv + argc));
  if (args.help) {
    std::fputs(simUsage().c_str(), stdout);
    return 0;
  }
  if (!args.error.empty()) {
    std::fprintf(stderr, "kestrav-sim: %s\n%s", args.error.c_str(), simUsage().c_str());
    return 2;
  }

  // The stop signals arrive through a descriptor the server polls, so no
  // handler and no global flag are needed.
  sigset_t stop;
  sigemptyset(&stop);
  sigaddset(&stop, SIGINT);
  sigaddset(&stop, SIGTERM);
  if (sigprocmask(SIG_BLOCK, &stop, nullptr) != 0) return 1;
  const int stopFd = signalfd(-1, &stop, SFD_CLOEXEC);
  if (stopFd < 0) return 1;
  std::signal(SIGPIPE, SIG_IGN);

  try {
    Simulator simulator(args.options);
    PtyServer server;
    std::printf("%s\n", server.slavePath().c_str());
    std::fflush(stdout);
    server.serve(simulator, stopFd);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "kestrav-sim: %s\n", e.what());
    ::close(stopFd);
    return 1;
  }
  ::close(stopFd);
  return 0;
}
