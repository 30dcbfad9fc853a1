#pragma once
// --trace FILE: every bridge transaction as one tab-separated line (see
// traceLine), flushed as it is written, so the file is complete up to the
// last transaction even when the program is killed.

#include <cstdio>
#include <memory>
#include <mutex>
#include <string>

#include "history/TrafficEntry.h"

namespace kestrav::history {

class TraceWriter : public TrafficSink {
 public:
  // nullptr and `error` set when the file cannot be created.
  static std::unique_ptr<TraceWriter> open(const std::string& path, std::string& error);
  ~TraceWriter() override;
  TraceWriter(const TraceWriter&) = delete;
  TraceWriter& operator=(const TraceWriter&) = delete;

  void record(const TrafficEntry& e) override;
  // False once a write failed (disk full, file gone); later lines are dropped.
  bool healthy() const;

 private:
  explicit TraceWriter(std::FILE* file) : file_(file) {}

  mutable std::mutex mutex_;
  std::FILE* file_;
  bool healthy_ = true;
};

}  // namespace kestrav::history
