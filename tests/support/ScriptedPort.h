#pragma once
// A bridge port for tests: records every operation and every string written,
// and answers from a script. The script is shared, so a test keeps it after
// handing the port to a BridgeLink.

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "link/BridgePort.h"

namespace kestrav::test {

struct PortScript {
  std::vector<std::string> ops;      // "open", "timeouts 200/50", "write IZ", "read 50", "close"
  std::vector<std::string> written;  // every command string, in order
  std::string identity = "KESTRAV-2 BRIDGE";
  std::deque<std::string> identities;  // answers to the next identifications, before `identity`
  bool unplugged = false;              // answers nothing at all
  std::deque<std::string> replies;     // answers to the next non-identification writes
  std::function<std::string(const std::string&)> responder;  // used when `replies` is empty

  int count(const std::string& command) const {
    int n = 0;
    for (const std::string& w : written) n += w == command;
    return n;
  }
};

class ScriptedPort : public link::BridgePort {
 public:
  explicit ScriptedPort(std::shared_ptr<PortScript> script) : s_(std::move(script)) {}

  void open() override {
    s_->ops.push_back("open");
    pending_.clear();
  }
  void setTimeouts(int readMs, int writeMs) override {
    s_->ops.push_back("timeouts " + std::to_string(readMs) + "/" + std::to_string(writeMs));
  }
  void write(std::string_view bytes) override {
    const std::string cmd(bytes);
    s_->ops.push_back("write " + cmd);
    s_->written.push_back(cmd);
    if (s_->unplugged) return;
    if (cmd == "IZ" && !s_->identities.empty()) {
      pending_ = s_->identities.front();
      s_->identities.pop_front();
    } else if (cmd == "IZ") {
      pending_ = s_->identity;
    } else if (!s_->replies.empty()) {
      pending_ = s_->replies.front();
      s_->replies.pop_front();
    } else if (s_->responder) {
      pending_ = s_->responder(cmd);
    }
  }
  std::size_t read(char* buffer, std::size_t count) override {
    s_->ops.push_back("read " + std::to_string(count));
    const std::size_t n = std::min(count, pending_.size());
    pending_.copy(buffer, n);
    pending_.erase(0, n);
    return n;
  }
  void close() override { s_->ops.push_back("close"); }

 private:
  std::shared_ptr<PortScript> s_;
  std::string pending_;
};

// Forwards every operation to another port (the simulator, say) and records
// the strings written into a script, for tests that want both realistic
// replies and the exact command sequence.
class RecordingPort : public link::BridgePort {
 public:
  RecordingPort(std::unique_ptr<link::BridgePort> inner, std::shared_ptr<PortScript> script)
      : inner_(std::move(inner)), s_(std::move(script)) {}
  void open() override { inner_->open(); }
  void setTimeouts(int readMs, int writeMs) override { inner_->setTimeouts(readMs, writeMs); }
  void write(std::string_view bytes) override {
    s_->written.emplace_back(bytes);
    inner_->write(bytes);
  }
  std::size_t read(char* buffer, std::size_t count) override { return inner_->read(buffer, count); }
  void close() override { inner_->close(); }

 private:
  std::unique_ptr<link::BridgePort> inner_;
  std::shared_ptr<PortScript> s_;
};

inline std::unique_ptr<link::BridgePort> scriptedPort(std::shared_ptr<PortScript> script) {
  return std::make_unique<ScriptedPort>(std::move(script));
}

}  // namespace kestrav::test
