#pragma once
// Writing a file's bytes and making them durable. Every call goes through
// fileCalls(), so a test can make a write or a sync fail (or watch the
// syncs happen) in a file of its choice; the program never replaces them.

#include <sys/types.h>

#include <cstddef>
#include <string>

namespace kestrav::files {

struct FileCalls {
  ssize_t (*write)(int fd, const void* data, std::size_t size);
  ssize_t (*pwrite)(int fd, const void* data, std::size_t size, off_t offset);
  int (*fdatasync)(int fd);
  int (*fsync)(int fd);
};

// The calls every writer makes: the system's own unless a test swapped one.
FileCalls& fileCalls();

// The system's own calls, for a test to hand on to.
const FileCalls& systemFileCalls();

// Writes all `size` bytes at the file's position, going on after
// interrupted and partial writes. False with errno set when a write fails;
// a write that takes nothing is an I/O error (EIO).
bool writeAll(int fd, const void* data, std::size_t size);

// The same at `offset`, leaving the file's position alone.
bool writeAllAt(int fd, const void* data, std::size_t size, off_t offset);

// The file's data (syncData) or its data and its size and times (syncFile)
// on the disk. False with errno set when the disk did not take them.
bool syncData(int fd);
bool syncFile(int fd);

// The folder holding `path` on the disk, with the names made or renamed in
// it. Best effort: a folder that cannot be opened is left as it is.
void syncFolderOf(const std::string& path);

}  // namespace kestrav::files
