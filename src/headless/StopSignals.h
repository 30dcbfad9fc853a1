#pragma once
// SIGINT, SIGTERM and SIGHUP as events of the program's loop: they are
// blocked for the whole process and taken between two timer ticks, so a
// signal never cuts into a bridge transaction or a file being written.

#include <chrono>

namespace kestrav::headless {

class StopSignals {
 public:
  // Blocks the signals; build it before any thread is started, so that
  // every thread inherits the mask.
  StopSignals();

  // Waits until `deadline` or a stop signal, whichever comes first; the
  // signal's number, or 0 at the deadline.
  int waitUntil(std::chrono::steady_clock::time_point deadline);

  // Ends the process as the signal's default action does, so the shell
  // sees the status it expects (130 for SIGINT, 143 for SIGTERM).
  [[noreturn]] static void endWith(int signo);
};

}  // namespace kestrav::headless
