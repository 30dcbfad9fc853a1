#pragma once
// A bridge port for the window tests: answers "IZ" with a name (by default
// "KESTRAV-2 fake bridge"), optionally only for the first few asks, and
// stays silent to everything else. Lets a test hook into each
// identification, which is the first thing every timer tick does.

#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "link/BridgePort.h"

namespace kestrav::test {

struct FakePortState {
  std::string name = "KESTRAV-2 fake bridge";
  // Atomic: the core thread asks, the test's thread looks.
  std::atomic<int> answers = -1;          // how many identifications are answered; -1 all
  std::atomic<int> identifications = 0;   // how many were asked for
  std::atomic<int> depth = 0;             // identifications running right now
  std::atomic<int> maxDepth = 0;          // the most that ever ran at once
  std::function<void()> onIdentify;  // runs inside the identification
};

class FakePort : public link::BridgePort {
 public:
  explicit FakePort(std::shared_ptr<FakePortState> state) : state_(std::move(state)) {}

  void open() override { pending_.clear(); }
  void setTimeouts(int, int) override {}
  void write(std::string_view bytes) override {
    if (bytes != "IZ") return;
    FakePortState& s = *state_;
    ++s.identifications;
    ++s.depth;
    s.maxDepth = std::max(s.maxDepth.load(), s.depth.load());
    if (s.onIdentify) s.onIdentify();
    --s.depth;
    if (s.answers < 0 || s.identifications <= s.answers) pending_ = s.name;
  }
  std::size_t read(char* buffer, std::size_t count) override {
    const std::size_t n = std::min(count, pending_.size());
    pending_.copy(buffer, n);
    pending_.erase(0, n);
    return n;
  }
  void close() override {}

 private:
  std::shared_ptr<FakePortState> state_;
  std::string pending_;
};

}  // namespace kestrav::test
