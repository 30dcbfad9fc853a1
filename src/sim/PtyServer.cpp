#include "sim/PtyServer.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <stdexcept>
#include <thread>

#include "sim/BridgeLine.h"
#include "sim/Simulator.h"

namespace kestrav::sim {

namespace {
constexpr std::size_t kMaxBacklog = 64 * 1024;  // answers nobody reads are dropped beyond this
constexpr int kPollMs = 200;

[[noreturn]] void fail(const char* what) { throw std::runtime_error(std::string(what) + " failed"); }

void makeRaw(int fd) {
  termios t{};
  if (tcgetattr(fd, &t) != 0) fail("tcgetattr");
  cfmakeraw(&t);
  t.c_cc[VMIN] = 1;
  t.c_cc[VTIME] = 0;
  if (tcsetattr(fd, TCSANOW, &t) != 0) fail("tcsetattr");
}

// How long poll may sleep: until the line delivers its next answer
// characters, or kPollMs when nothing is on its way.
timespec pollTimeout(const BridgeLine& line) {
  std::chrono::nanoseconds wait = std::chrono::milliseconds(kPollMs);
  if (const auto next = line.nextDelivery())
    wait = std::clamp<std::chrono::nanoseconds>(*next - BridgeLine::Clock::now(), std::chrono::nanoseconds::zero(), wait);
  const auto seconds = std::chrono::floor<std::chrono::seconds>(wait);
  return {static_cast<time_t>(seconds.count()), static_cast<long>((wait - seconds).count())};
}

}  // namespace

PtyServer::PtyServer() {
  master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (master_ < 0) fail("posix_openpt");
  if (grantpt(master_) != 0 || unlockpt(master_) != 0) {
    ::close(master_);
    fail("grantpt/unlockpt");
  }
  const char* name = ptsname(master_);
  if (name == nullptr) {
    ::close(master_);
    fail("ptsname");
  }
  slavePath_ = name;
  slaveKeeper_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (slaveKeeper_ < 0) {
    ::close(master_);
    fail("open slave");
  }
  makeRaw(slaveKeeper_);
}

PtyServer::~PtyServer() {
  if (slaveKeeper_ >= 0) ::close(slaveKeeper_);
  if (master_ >= 0) ::close(master_);
}


void PtyServer::serve(Simulator& simulator, int stopFd) {
  BridgeLine line(simulator, simulator.options().line());
  for (;;) {
    pollfd fds[2] = {{stopFd, POLLIN, 0}, {master_, static_cast<short>(POLLIN | (output_.empty() ? 0 : POLLOUT)), 0}};
    const timespec timeout = pollTimeout(line);
    const int n = ::ppoll(fds, 2, &timeout, nullptr);
    if (n < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (fds[0].revents & POLLIN) return;
    if (fds[1].revents & (POLLHUP | POLLERR)) {
      // Only when the slave has no user at all; wait for one instead of
      // spinning.
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      continue;
    }
    if (fds[1].revents & POLLIN) readInput(line);
    output_ += line.take(BridgeLine::Clock::now());
    if (output_.size() > kMaxBacklog) output_.resize(kMaxBacklog);
    if (!output_.empty()) flushOutput();
  }
}

void PtyServer::readInput(BridgeLine& line) {
  char buf[4096];
  for (;;) {
    const ssize_t n = ::read(master_, buf, sizeof buf);
    if (n > 0) {
      line.hostWrote(std::string_view(buf, static_cast<std::size_t>(n)), BridgeLine::Clock::now());
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    return;  // EAGAIN: drained; EIO: nobody on the slave side
  }
}

void PtyServer::flushOutput() {
  // A serial line never echoes. Were the terminal to echo our answers back
  // to us, the "I" of "BRIDGE" would ask for another identification, for
  // ever; so echo goes off whatever a client set.
  termios t{};
  if (tcgetattr(slaveKeeper_, &t) == 0 && (t.c_lflag & (ECHO | ECHONL))) {
    t.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL);
    tcsetattr(slaveKeeper_, TCSANOW, &t);
  }
  while (!output_.empty()) {
    const ssize_t n = ::write(master_, output_.data(), output_.size());
    if (n > 0) {
      output_.erase(0, static_cast<std::size_t>(n));
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    return;  // EAGAIN: the terminal's queue is full; poll tells when it drains
  }
}

}  // namespace kestrav::sim
