#pragma once
// --trace FILE: every bridge transaction as one tab-separated line (see
// traceLine), flushed as it is written, so the file is complete up to the
// last transaction even when the program is killed.

#include <cstdio>
#include <functional>
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
  // Called once, on the thread of the transaction, when the first write
  // fails, with "cannot write FILE: reason". Set it before the first
  // transaction.
  void onFailure(std::function<void(const std::string&)> tell) { tell_ = std::move(tell); }

 private:
  TraceWriter(std::FILE* file, std::string path) : file_(file), path_(std::move(path)) {}

  mutable std::mutex mutex_;
  std::FILE* file_;
  const std::string path_;
  bool healthy_ = true;
  std::function<void(const std::string&)> tell_;
};

}  // namespace kestrav::history
