#pragma once
// --trace for a program that keeps no traffic log of its own (kestrav-log):
// one call attaches a trace file to the monitor's bridge link,
//
//   std::string error;
//   auto tracing = history::Tracing::start(monitor, path, error);
//   if (!tracing) { std::cerr << "kestrav-log: " << error << '\n'; return 2; }
//
// and the trace runs until the object goes (which detaches it again). It
// takes the link's one observer place; a program that also shows the
// traffic uses a TransactionTap with both sinks instead.

#include <memory>
#include <string>

#include "context/Monitor.h"
#include "history/TraceWriter.h"
#include "history/TransactionTap.h"

namespace kestrav::history {

class Tracing {
 public:
  static std::unique_ptr<Tracing> start(context::Monitor& m, const std::string& path, std::string& error);
  ~Tracing();
  Tracing(const Tracing&) = delete;
  Tracing& operator=(const Tracing&) = delete;

  const TraceWriter& writer() const { return *writer_; }
  TraceWriter& writer() { return *writer_; }

 private:
  Tracing(context::Monitor& m, std::unique_ptr<TraceWriter> writer);

  context::Monitor& monitor_;
  std::unique_ptr<TraceWriter> writer_;
  TransactionTap tap_;
};

}  // namespace kestrav::history
