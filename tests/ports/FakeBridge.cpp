#include "ports/FakeBridge.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <stdexcept>

namespace kestrav::test {

namespace {
void makeRaw(int fd) {
  termios tio{};
  if (::tcgetattr(fd, &tio) != 0) throw std::runtime_error("tcgetattr on pty");
  ::cfmakeraw(&tio);
  if (::tcsetattr(fd, TCSANOW, &tio) != 0) throw std::runtime_error("tcsetattr on pty");
}
}  // namespace

FakeBridge::FakeBridge() {
  master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  char name[128];
  if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0 ||
      ::ptsname_r(master_, name, sizeof name) != 0)
    throw std::runtime_error("no pseudo-terminal");
  path_ = name;
  slave_ = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (slave_ < 0) throw std::runtime_error("cannot open " + path_);
  makeRaw(master_);
  makeRaw(slave_);  // before anything arrives: no echo back to the bridge
  thread_ = std::thread([this] { serve(); });
}

FakeBridge::~FakeBridge() { unplug(); }

void FakeBridge::unplug() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  for (int* fd : {&slave_, &master_}) {
    if (*fd >= 0) ::close(*fd);
    *fd = -1;
  }
}

void FakeBridge::setFrameReply(std::string reply) {
  std::lock_guard lock(mutex_);
  frameReply_ = std::move(reply);
}

std::string FakeBridge::received() {
  std::lock_guard lock(mutex_);
  return received_;
}

void FakeBridge::send(std::string_view text) {
  if (::write(master_, text.data(), text.size()) != static_cast<ssize_t>(text.size()))
    throw std::runtime_error("pty master write");
}

bool FakeBridge::waitForInputAtHost() {
  pollfd p{slave_, POLLIN, 0};
  return ::poll(&p, 1, 2000) == 1 && (p.revents & POLLIN) != 0;
}

termios FakeBridge::hostSettings() const {
  termios tio{};
  ::tcgetattr(slave_, &tio);
  return tio;
}

void FakeBridge::serve() {
  char chunk[256];
  while (!stop_) {
    pollfd p{master_, POLLIN, 0};
    if (::poll(&p, 1, 10) != 1) continue;
    const ssize_t n = ::read(master_, chunk, sizeof chunk);
    if (n <= 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    for (ssize_t i = 0; i < n; ++i) answer(chunk[i]);
  }
}

void FakeBridge::answer(char c) {
  std::string reply;
  {
    std::lock_guard lock(mutex_);
    received_ += c;
    frame_ += c;
    if (frame_.ends_with("IZ")) {
      reply = kName;
    } else if (c == 'X') {
      const bool reads = frame_.find('R') != std::string::npos;
      reply = reads ? frameReply_ : std::string(2 * std::count(frame_.begin(), frame_.end(), 'T'), 'F');
    } else {
      return;
    }
    frame_.clear();
  }
  send(reply);
}

}  // namespace kestrav::test
