#include "history/Tracing.h"

#include <utility>

namespace kestrav::history {

std::unique_ptr<Tracing> Tracing::start(context::Monitor& m, const std::string& path, std::string& error) {
  std::unique_ptr<TraceWriter> writer = TraceWriter::open(path, error);
  if (!writer) return nullptr;
  return std::unique_ptr<Tracing>(new Tracing(m, std::move(writer)));
}

Tracing::Tracing(context::Monitor& m, std::unique_ptr<TraceWriter> writer)
    : monitor_(m), writer_(std::move(writer)), tap_(m.clock) {
  tap_.add(*writer_);
  monitor_.link.setObserver(&tap_);
}

Tracing::~Tracing() { monitor_.link.setObserver(nullptr); }

}  // namespace kestrav::history
