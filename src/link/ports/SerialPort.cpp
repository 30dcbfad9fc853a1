#include "link/ports/SerialPort.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <optional>
#include <thread>
#include <utility>

namespace kestrav::link {

namespace {

using Clock = std::chrono::steady_clock;

std::optional<speed_t> termiosSpeed(int baud) {
  switch (baud) {
    case 1200: return B1200;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    case 230400: return B230400;
    case 460800: return B460800;
    case 500000: return B500000;
    case 921600: return B921600;
    case 1000000: return B1000000;
    case 2000000: return B2000000;
    case 3000000: return B3000000;
    default: return std::nullopt;
  }
}

// Milliseconds left until `deadline`, rounded up so that poll() never
// returns just before it; 0 once it has passed.
int remainingMs(Clock::time_point deadline) {
  const auto left = deadline - Clock::now();
  if (left <= Clock::duration::zero()) return 0;
  return static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(left).count());
}

bool hungUp(const pollfd& p) { return (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0; }

}  // namespace

bool SerialPort::supportsBaud(int baud) { return termiosSpeed(baud).has_value(); }

SerialPort::SerialPort(std::string path, int baud, int quietMs)
    : path_(std::move(path)), baud_(baud), quietMs_(quietMs) {}

SerialPort::~SerialPort() { drop(); }

void SerialPort::drop() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

void SerialPort::openDevice() {
  const std::optional<speed_t> speed = termiosSpeed(baud_);
  if (!speed) return;
  // O_NONBLOCK: neither the open nor any later read or write may wait for
  // carrier or for room; every wait goes through poll() with a deadline.
  const int fd = ::open(path_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return;
  termios tio{};
  if (::tcgetattr(fd, &tio) != 0) {  // not a tty: never write commands into it
    ::close(fd);
    return;
  }
  // Raw 8N1: no echo (a pty would otherwise send the commands back to the
  // bridge), no line editing, no CR/LF translation, no software or
  // hardware flow control, modem status lines ignored.
  ::cfmakeraw(&tio);
  tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
  tio.c_cflag |= CS8 | CREAD | CLOCAL;
  tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
  tio.c_cc[VMIN] = 0;
  tio.c_cc[VTIME] = 0;
  if (::cfsetispeed(&tio, *speed) != 0 || ::cfsetospeed(&tio, *speed) != 0 ||
      ::tcsetattr(fd, TCSANOW, &tio) != 0) {
    ::close(fd);
    return;
  }
  fd_ = fd;
}

bool SerialPort::discardInput() {
  // Replies nobody read (the tail of a reply that timed out, anything the
  // bridge said unasked) must not leak into this transaction. Output is
  // kept: a command written by the previous transaction may still be on its
  // way to the bridge, unless its write never drained, and then what is
  // left of it would only garble this one.
  if (::tcflush(fd_, outputStuck_ ? TCIOFLUSH : TCIFLUSH) != 0) return false;  // EIO once hung up
  outputStuck_ = false;
  // After a whole reply the line is idle (a short one was listened out when
  // it ended): one look without waiting, which also sees a hang-up. A bridge
  // still talking is listened out.
  pollfd p{fd_, POLLIN, 0};
  const int r = ::poll(&p, 1, 0);
  if (r < 0) return errno == EINTR;
  if (hungUp(p) && (p.revents & POLLIN) == 0) return false;
  return r == 0 || waitForQuiet();
}

bool SerialPort::waitForQuiet() {
  // A bounded amount, so that a device that never stops talking cannot
  // stall open().
  char scratch[256];
  for (int i = 0; i < 16; ++i) {
    pollfd p{fd_, POLLIN, 0};
    const int r = ::poll(&p, 1, quietMs_);
    if (r == 0) return true;
    if (r < 0) return errno == EINTR;
    if (hungUp(p) && (p.revents & POLLIN) == 0) return false;
    const ssize_t n = ::read(fd_, scratch, sizeof scratch);
    if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) return false;
  }
  return true;
}

bool SerialPort::drainOutput(Clock::time_point deadline) {
  for (;;) {
    int queued = 0;
    if (::ioctl(fd_, TIOCOUTQ, &queued) != 0 || queued <= 0) return true;
    if (Clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
}

void SerialPort::open() {
  if (fd_ >= 0 && !discardInput()) drop();  // the device vanished since the last transaction
  if (fd_ >= 0) return;
  openDevice();
  if (fd_ >= 0 && !discardInput()) drop();
}

void SerialPort::setTimeouts(int readMs, int writeMs) {
  readTimeoutMs_ = std::max(readMs, 0);
  writeTimeoutMs_ = std::max(writeMs, 0);
}

void SerialPort::write(std::string_view bytes) {
  if (fd_ < 0) return;
  const auto deadline = Clock::now() + std::chrono::milliseconds(writeTimeoutMs_);
  writeDeadline_ = deadline;
  const char* next = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    const ssize_t n = ::write(fd_, next, left);
    if (n > 0) {
      next += n;
      left -= static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN) {  // EIO: the device is gone
      drop();
      return;
    }
    // The driver's output queue is full: wait for room until the deadline.
    const int ms = remainingMs(deadline);
    if (ms == 0) {
      outputStuck_ = true;
      return;
    }
    pollfd p{fd_, POLLOUT, 0};
    const int r = ::poll(&p, 1, ms);
    if ((r < 0 && errno != EINTR) || (r > 0 && hungUp(p))) {
      drop();
      return;
    }
  }
  // Whether the command left in time is judged when the transaction closes:
  // a read that follows needs no wait of its own, the reply shows it left.
}

std::size_t SerialPort::read(char* buffer, std::size_t count) {
  if (fd_ < 0) return 0;
  // One deadline for the whole reply: a bridge that trickles characters
  // cannot stretch the read beyond its time-out.
  const auto deadline = Clock::now() + std::chrono::milliseconds(readTimeoutMs_);
  std::size_t got = 0;
  while (got < count) {
    pollfd p{fd_, POLLIN, 0};
    const int r = ::poll(&p, 1, remainingMs(deadline));
    if (r == 0) break;  // time-out
    if (r < 0) {
      if (errno == EINTR) continue;
      drop();
      break;
    }
    if ((p.revents & POLLIN) == 0) {  // hang-up with nothing left to read
      drop();
      break;
    }
    const ssize_t n = ::read(fd_, buffer + got, count - got);
    if (n > 0) {
      got += static_cast<std::size_t>(n);
    } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {  // EOF or EIO after a hang-up
      drop();
      break;
    }
  }
  // The rest of a short reply may still be coming (a slow bridge, an
  // adapter holding it back): listen it out now, at the cost of the
  // transaction that ended short (the identification does by design), not
  // of the next one.
  if (fd_ >= 0 && got < count && !waitForQuiet()) drop();
  return got;
}

// The descriptor stays open between transactions (see the header); the
// next open() discards anything that arrives in between. A command still
// queued is waited for until its write's deadline, so that a write-only
// transaction ends with its command gone to the bridge; one that never
// left is thrown away by the next open().
void SerialPort::close() {
  if (fd_ >= 0 && !drainOutput(writeDeadline_)) outputStuck_ = true;
}

}  // namespace kestrav::link
