#include "headless/FilesAhead.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "datalog/Journal.h"

namespace kestrav::headless {

bool canCreateFileIn(const std::string& folder, std::string* reason) {
  static std::atomic<unsigned> counter{0};
  const std::string probe =
      folder + "/.kestrav-log-" + std::to_string(::getpid()) + "-" + std::to_string(counter.fetch_add(1)) + ".tmp";
  const int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) {
    if (reason) *reason = std::strerror(errno);
    return false;
  }
  ::close(fd);
  ::unlink(probe.c_str());
  return true;
}

std::string prepareFiles(context::Monitor& m, const LogOptions& o, const FolderProbe& probe) {
  const std::string folder = std::filesystem::path(o.out).parent_path().string();
  std::string reason;
  if (!probe(folder, &reason)) return "the workbook " + o.out + " cannot be written in its folder: " + reason;
  if (!datalog::openJournalAhead(m, o.out, o.boards, &reason))
    return "the journal " + m.journal.path() + " cannot be created: " + reason;
  return {};
}

}  // namespace kestrav::headless
