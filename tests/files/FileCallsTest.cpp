// The one write loop every file writer uses: a disk that takes a little at
// a time, or whose writes a signal interrupts, still gets every byte once.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "files/FileCalls.h"

namespace kestrav::files {
namespace {

int calls = 0;

// Every other call is interrupted; the others take at most three bytes.
ssize_t interruptedWrite(int fd, const void* data, std::size_t size) {
  if (++calls % 2 == 1) {
    errno = EINTR;
    return -1;
  }
  return systemFileCalls().write(fd, data, std::min<std::size_t>(size, 3));
}
ssize_t interruptedPwrite(int fd, const void* data, std::size_t size, off_t offset) {
  if (++calls % 2 == 1) {
    errno = EINTR;
    return -1;
  }
  return systemFileCalls().pwrite(fd, data, std::min<std::size_t>(size, 3), offset);
}
ssize_t takesNothing(int, const void*, std::size_t) { return 0; }

struct Scratch {
  Scratch() {
    char name[] = "/tmp/kestrav-files-XXXXXX";
    fd = ::mkstemp(name);
    path = name;
  }
  ~Scratch() {
    ::close(fd);
    ::unlink(path.c_str());
    fileCalls() = systemFileCalls();
  }
  std::string contents() const {
    std::string out(4096, '\0');
    const ssize_t n = ::pread(fd, out.data(), out.size(), 0);
    out.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return out;
  }
  int fd;
  std::string path;
};

TEST(WriteAll, GoesOnAfterInterruptedAndPartialWritesUntilEveryByteIsWritten) {
  Scratch file;
  fileCalls().write = &interruptedWrite;
  fileCalls().pwrite = &interruptedPwrite;
  const std::string text = "ISO TIME,SAMPLE,TIME STAMP\r\n";
  ASSERT_TRUE(writeAll(file.fd, text.data(), text.size()));
  ASSERT_TRUE(writeAllAt(file.fd, "iso", 3, 0));
  EXPECT_EQ(file.contents(), "iso TIME,SAMPLE,TIME STAMP\r\n");
  EXPECT_GT(calls, 20);
}

TEST(WriteAll, AWriteThatTakesNothingIsAnIoError) {
  Scratch file;
  fileCalls().write = &takesNothing;
  errno = 0;
  EXPECT_FALSE(writeAll(file.fd, "x", 1));
  EXPECT_EQ(errno, EIO);
}

}  // namespace
}  // namespace kestrav::files
