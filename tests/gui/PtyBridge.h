#pragma once
// A bridge on the master side of a pseudo-terminal, for running the real
// kestrav-gui against: it answers "IZ" with the name it is given (for the
// first few asks only, if told so) and ignores everything else.

#include <atomic>
#include <string>
#include <thread>

namespace kestrav::test {

class PtyBridge {
 public:
  // answers: how many identifications get an answer; -1 all of them.
  explicit PtyBridge(std::string name, int answers = -1);
  ~PtyBridge();
  PtyBridge(const PtyBridge&) = delete;
  PtyBridge& operator=(const PtyBridge&) = delete;

  const std::string& path() const { return path_; }
  int identifications() const { return identifications_.load(); }

 private:
  void serve();

  std::string name_;
  int answers_;
  int master_ = -1;
  int slave_ = -1;  // held open so the pty never hangs up between the program's opens
  std::string path_;
  std::atomic<int> identifications_{0};
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

}  // namespace kestrav::test
