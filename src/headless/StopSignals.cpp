#include "headless/StopSignals.h"

#include <signal.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>

namespace kestrav::headless {

namespace {

sigset_t stopSet() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  sigaddset(&set, SIGHUP);
  return set;
}

}  // namespace

StopSignals::StopSignals() {
  const sigset_t set = stopSet();
  pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

int StopSignals::waitUntil(std::chrono::steady_clock::time_point deadline) {
  const sigset_t set = stopSet();
  for (;;) {
    const auto left = deadline - std::chrono::steady_clock::now();
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
    timespec wait{};
    if (ns > 0) {
      wait.tv_sec = static_cast<time_t>(ns / 1000000000);
      wait.tv_nsec = static_cast<long>(ns % 1000000000);
    }
    const int signo = sigtimedwait(&set, nullptr, &wait);
    if (signo > 0) return signo;
    if (errno == EAGAIN) return 0;  // the deadline (a zero wait only polls)
    // EINTR: some other signal; wait on for what is left.
  }
}

void StopSignals::endWith(int signo) {
  signal(signo, SIG_DFL);
  const sigset_t set = stopSet();
  pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
  raise(signo);
  std::_Exit(128 + signo);  // only if the default action did not end the process
}

}  // namespace kestrav::headless
