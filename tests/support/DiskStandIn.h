#pragma once
// Stands in for the disk under the file writers for the length of a test:
// records every write and sync they make, naming the file, and makes the
// disk full or the syncs fail for the files a test picks by the end of
// their path. One at a time; the system's calls come back when it goes.

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "files/FileCalls.h"

namespace kestrav::test {

class DiskStandIn {
 public:
  // One call the writers made: "write", "pwrite", "fdatasync" or "fsync",
  // and the name (last part of the path) of the file or folder it went to
  // at that moment.
  struct Call {
    std::string call, name;
    bool operator==(const Call&) const = default;
    friend void PrintTo(const Call& c, std::ostream* os) { *os << c.call << " " << c.name; }
  };

  DiskStandIn() {
    if (current_ != nullptr) ADD_FAILURE() << "a DiskStandIn is already in place";
    current_ = this;
    files::fileCalls() = files::FileCalls{&standInWrite, &standInPwrite, &standInFdatasync, &standInFsync};
  }
  ~DiskStandIn() {
    files::fileCalls() = files::systemFileCalls();
    current_ = nullptr;
  }
  DiskStandIn(const DiskStandIn&) = delete;
  DiskStandIn& operator=(const DiskStandIn&) = delete;

  // Files whose path ends with `suffix` take `room` more bytes; a write
  // beyond that takes what fits and the next fails with ENOSPC, as a full
  // disk does.
  void fillAfter(const std::string& suffix, std::size_t room) { room_[suffix] = room; }
  // The disk has room again.
  void makeRoom() { room_.clear(); }
  // Syncs of files whose path ends with `suffix` fail with `error`.
  void failSyncs(const std::string& suffix, int error) { syncErrors_[suffix] = error; }

  const std::vector<Call>& calls() const { return calls_; }
  // The calls that went to files named `name`.
  std::vector<std::string> callsTo(const std::string& name) const {
    std::vector<std::string> out;
    for (const Call& c : calls_)
      if (c.name == name) out.push_back(c.call);
    return out;
  }

 private:
  static std::string pathOf(int fd) {
    char link[PATH_MAX + 1];
    const std::string proc = "/proc/self/fd/" + std::to_string(fd);
    const ssize_t n = ::readlink(proc.c_str(), link, PATH_MAX);
    return n > 0 ? std::string(link, static_cast<std::size_t>(n)) : std::string();
  }
  static bool endsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
  }
  static std::string lastPart(const std::string& path) { return path.substr(path.find_last_of('/') + 1); }

  // How much of `size` bytes the disk takes for `path`; -1 with ENOSPC when none.
  ssize_t take(const std::string& path, std::size_t size) {
    for (auto& [suffix, room] : room_) {
      if (!endsWith(path, suffix)) continue;
      if (room == 0) {
        errno = ENOSPC;
        return -1;
      }
      const std::size_t taken = std::min(room, size);
      room -= taken;
      return static_cast<ssize_t>(taken);
    }
    return static_cast<ssize_t>(size);
  }
  int sync(const std::string& call, int fd) {
    const std::string path = pathOf(fd);
    calls_.push_back({call, lastPart(path)});
    for (const auto& [suffix, error] : syncErrors_)
      if (endsWith(path, suffix)) {
        errno = error;
        return -1;
      }
    return call == "fsync" ? files::systemFileCalls().fsync(fd) : files::systemFileCalls().fdatasync(fd);
  }

  static ssize_t standInWrite(int fd, const void* data, std::size_t size) {
    const std::string path = pathOf(fd);
    current_->calls_.push_back({"write", lastPart(path)});
    const ssize_t n = current_->take(path, size);
    return n < 0 ? n : files::systemFileCalls().write(fd, data, static_cast<std::size_t>(n));
  }
  static ssize_t standInPwrite(int fd, const void* data, std::size_t size, off_t offset) {
    const std::string path = pathOf(fd);
    current_->calls_.push_back({"pwrite", lastPart(path)});
    const ssize_t n = current_->take(path, size);
    return n < 0 ? n : files::systemFileCalls().pwrite(fd, data, static_cast<std::size_t>(n), offset);
  }
  static int standInFdatasync(int fd) { return current_->sync("fdatasync", fd); }
  static int standInFsync(int fd) { return current_->sync("fsync", fd); }

  static inline DiskStandIn* current_ = nullptr;
  std::map<std::string, std::size_t> room_;
  std::map<std::string, int> syncErrors_;
  std::vector<Call> calls_;
};

}  // namespace kestrav::test
