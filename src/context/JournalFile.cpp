#include "context/JournalFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include "files/FileCalls.h"

namespace kestrav::context {

namespace {

constexpr int kMostNumberedNames = 9999;

std::string errnoText(int e) { return std::strerror(e); }

}  // namespace

std::string csvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
  return out;
}

std::string numberedName(const std::string& preferred, int n) {
  if (n <= 1) return preferred;
  const std::size_t slash = preferred.find_last_of('/');
  const std::size_t dot = preferred.find_last_of('.');
  const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash + 1);
  const std::string stem = hasExtension ? preferred.substr(0, dot) : preferred;
  const std::string extension = hasExtension ? preferred.substr(dot) : "";
  return stem + " (" + std::to_string(n) + ")" + extension;
}

JournalFile::~JournalFile() { close(); }

bool JournalFile::create(const std::string& preferred, std::string* reason) {
  close();
  for (int n = 1; n <= kMostNumberedNames; ++n) {
    const std::string candidate = numberedName(preferred, n);
    // O_EXCL: a file made by anyone else in the meantime is never touched.
    const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC, 0644);
    if (fd >= 0) {
      fd_ = fd;
      path_ = candidate;
      length_ = 0;
      // The new name must reach the disk too, or a power cut may leave a
      // journal whose lines were flushed but whose name was not.
      files::syncFolderOf(candidate);
      return true;
    }
    if (errno != EEXIST) {
      if (reason) *reason = errnoText(errno);
      path_ = candidate;
      return false;
    }
  }
  if (reason) *reason = "every name up to \"" + numberedName(preferred, kMostNumberedNames) + "\" is taken";
  path_ = preferred;
  return false;
}

bool JournalFile::appendLine(const std::vector<std::string>& fields, std::string* reason) {
  if (fd_ < 0) {
    if (reason) *reason = "the journal is not open";
    return false;
  }
  std::string line;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) line += ',';
    line += csvField(fields[i]);
  }
  line += "\r\n";
  if (!files::writeAll(fd_, line.data(), line.size())) {
    const int error = errno;
    // A full disk takes part of a line before it refuses the rest: the file
    // is cut back to its last whole line, so every reader sees whole records.
    const bool cut = ::ftruncate(fd_, length_) == 0;
    if (reason) *reason = errnoText(error) + (cut ? "" : " (the file may end in part of a line)");
    return false;
  }
  length_ += static_cast<off_t>(line.size());
  if (!files::syncData(fd_)) {
    if (reason) *reason = errnoText(errno);
    return false;
  }
  return true;
}

void JournalFile::close() {
  if (fd_ < 0) return;
  ::close(fd_);
  fd_ = -1;
}

}  // namespace kestrav::context
