#include "files/FileCalls.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace kestrav::files {

namespace {

constexpr FileCalls kSystem{::write, ::pwrite, ::fdatasync, ::fsync};

// The loop both writes share: `put(done)` writes from byte `done` on.
template <typename Put>
bool putAll(std::size_t size, Put put) {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = put(done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) {
      errno = EIO;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

FileCalls& fileCalls() {
  static FileCalls calls = kSystem;
  return calls;
}

const FileCalls& systemFileCalls() { return kSystem; }

bool writeAll(int fd, const void* data, std::size_t size) {
  const auto* bytes = static_cast<const unsigned char*>(data);
  return putAll(size, [&](std::size_t done) { return fileCalls().write(fd, bytes + done, size - done); });
}

bool writeAllAt(int fd, const void* data, std::size_t size, off_t offset) {
  const auto* bytes = static_cast<const unsigned char*>(data);
  return putAll(size, [&](std::size_t done) {
    return fileCalls().pwrite(fd, bytes + done, size - done, offset + static_cast<off_t>(done));
  });
}

bool syncData(int fd) { return fileCalls().fdatasync(fd) == 0; }

bool syncFile(int fd) { return fileCalls().fsync(fd) == 0; }

void syncFolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
  const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir < 0) return;
  syncFile(dir);
  ::close(dir);
}

}  // namespace kestrav::files
