#pragma once
// A bridge on the master side of a pseudo-terminal, for the serial port
// tests. It answers "IZ" with its name, a frame with "R" tokens with the
// reply it is given, and any other frame with two characters per "T" token
// (replies nobody reads). It keeps a descriptor of the slave side open so
// that the tests can look at the tty's settings and at input waiting there.

#include <termios.h>

#include <atomic>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

namespace kestrav::test {

class FakeBridge {
 public:
  static constexpr std::string_view kName = "KESTRAV-2 bridge 1.0\r\n";

  FakeBridge();
  ~FakeBridge();
  FakeBridge(const FakeBridge&) = delete;
  FakeBridge& operator=(const FakeBridge&) = delete;

  const std::string& path() const { return path_; }
  void setFrameReply(std::string reply);
  std::string received();              // everything the host has sent so far
  void send(std::string_view text);    // unprompted, from the bridge side
  bool waitForInputAtHost();           // true once input waits on the slave side (2 s at most)
  termios hostSettings() const;        // the slave side's termios
  void unplug();                       // stop answering and close the master: the tty hangs up

 private:
  void serve();
  void answer(char c);

  int master_ = -1;
  int slave_ = -1;
  std::string path_;
  std::mutex mutex_;
  std::string frameReply_;
  std::string received_;
  std::string frame_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

}  // namespace kestrav::test
