#include "history/TraceWriter.h"

#include <cerrno>
#include <cstring>

namespace kestrav::history {

std::unique_ptr<TraceWriter> TraceWriter::open(const std::string& path, std::string& error) {
  std::FILE* f = std::fopen(path.c_str(), "w");
  if (f == nullptr) {
    error = "cannot write " + path + ": " + std::strerror(errno);
    return nullptr;
  }
  return std::unique_ptr<TraceWriter>(new TraceWriter(f, path));
}

TraceWriter::~TraceWriter() { std::fclose(file_); }

void TraceWriter::record(const TrafficEntry& e) {
  const std::string line = traceLine(e) + '\n';
  std::string failure;
  {
    std::lock_guard lock(mutex_);
    if (!healthy_) return;
    if (std::fwrite(line.data(), 1, line.size(), file_) == line.size() && std::fflush(file_) == 0) return;
    healthy_ = false;
    failure = "cannot write " + path_ + ": " + std::strerror(errno);
  }
  if (tell_) tell_(failure);
}

bool TraceWriter::healthy() const {
  std::lock_guard lock(mutex_);
  return healthy_;
}

}  // namespace kestrav::history
