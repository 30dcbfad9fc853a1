#include "gui/EndSignals.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

#include <utility>

namespace kestrav::gui {

namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};
int writeEnd = -1;  // the pipe the handler writes to; one EndSignals at a time

extern "C" void onEndSignal(int signalNumber) {
  const int saved = errno;
  const unsigned char n = static_cast<unsigned char>(signalNumber);
  // Tried again when another signal interrupted it. A full pipe (EAGAIN)
  // holds signals the loop has not read yet: the first of those ends the
  // program, so this one may go.
  while (writeEnd >= 0 && ::write(writeEnd, &n, 1) < 0 && errno == EINTR) {
  }
  errno = saved;
}

}  // namespace

EndSignals::EndSignals(std::function<void(int)> onSignal) : onSignal_(std::move(onSignal)) {
  if (::pipe2(pipe_, O_CLOEXEC | O_NONBLOCK) != 0) return;
  writeEnd = pipe_[1];
  notifier_ = std::make_unique<QSocketNotifier>(pipe_[0], QSocketNotifier::Read);
  QObject::connect(notifier_.get(), &QSocketNotifier::activated, this, [this] { readPipe(); });
  struct sigaction action {};
  action.sa_handler = onEndSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (const int s : kSignals) ::sigaction(s, &action, nullptr);
}

EndSignals::~EndSignals() {
  for (const int s : kSignals) std::signal(s, SIG_DFL);
  writeEnd = -1;
  notifier_.reset();
  for (const int fd : pipe_)
    if (fd >= 0) ::close(fd);
}

void EndSignals::readPipe() {
  unsigned char n = 0;
  while (::read(pipe_[0], &n, 1) == 1) {
    // The first signal decides; a second one while the save runs waits
    // for nothing more.
    if (received_ != 0) continue;
    received_ = n;
    onSignal_(n);
  }
}

}  // namespace kestrav::gui
