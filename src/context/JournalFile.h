#pragma once
// An append-only CSV file (RFC 4180, UTF-8, CRLF line ends) that is made
// durable as it grows: every line is written and flushed to the disk
// (fdatasync) before appendLine returns, so a crash or a power cut loses at
// most the line being written. A datalog appends a line every pass of the
// cycle (well under a second apart), which the disk takes easily.

#include <sys/types.h>

#include <string>
#include <vector>

namespace kestrav::context {

class JournalFile {
 public:
  JournalFile() = default;
  ~JournalFile();
  JournalFile(const JournalFile&) = delete;
  JournalFile& operator=(const JournalFile&) = delete;

  // Creates a new file for `preferred` ("run1.csv"); when that name is
  // taken, the first free of "run1 (2).csv", "run1 (3).csv", ... An existing
  // file is never appended to or overwritten. False with the reason when no
  // file could be created.
  bool create(const std::string& preferred, std::string* reason);

  // Writes one line of fields, quoted where needed. False with the reason
  // when the line could not be written or flushed; the file stays open and
  // ends with its last whole line (a line the disk took only in part is cut
  // off again).
  bool appendLine(const std::vector<std::string>& fields, std::string* reason);

  // Flushes and closes; nothing happens when no file is open.
  void close();

  bool isOpen() const { return fd_ >= 0; }
  const std::string& path() const { return path_; }

 private:
  int fd_ = -1;
  std::string path_;
  off_t length_ = 0;  // bytes of the whole lines written
};

// One CSV field as RFC 4180 writes it: in double quotes, with its quotes
// doubled, when it holds a comma, a quote or a line break; as it is otherwise.
std::string csvField(const std::string& text);

// "run1 (2).csv" for ("run1.csv", 2); the name itself for n = 1.
std::string numberedName(const std::string& preferred, int n);

}  // namespace kestrav::context
