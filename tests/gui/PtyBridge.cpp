#include "PtyBridge.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <stdexcept>

namespace kestrav::test {

PtyBridge::PtyBridge(std::string name, int answers) : name_(std::move(name)), answers_(answers) {
  master_ = posix_openpt(O_RDWR | O_NOCTTY);
  if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) throw std::runtime_error("no pty");
  path_ = ptsname(master_);
  slave_ = ::open(path_.c_str(), O_RDWR | O_NOCTTY);
  thread_ = std::thread([this] { serve(); });
}

PtyBridge::~PtyBridge() {
  stop_ = true;
  thread_.join();
  ::close(slave_);
  ::close(master_);
}

void PtyBridge::serve() {
  char last = 0;
  while (!stop_) {
    pollfd p{master_, POLLIN, 0};
    if (::poll(&p, 1, 20) <= 0 || !(p.revents & POLLIN)) continue;
    char buffer[256];
    const ssize_t n = ::read(master_, buffer, sizeof buffer);
    if (n <= 0) {
      ::usleep(10000);
      continue;
    }
    for (ssize_t i = 0; i < n; ++i) {
      if (last == 'I' && buffer[i] == 'Z') {
        const int asked = ++identifications_;
        if (answers_ < 0 || asked <= answers_) {
          const std::string answer = name_ + "\r\n";
          if (::write(master_, answer.data(), answer.size()) < 0) break;
        }
      }
      last = buffer[i];
    }
  }
}

}  // namespace kestrav::test
