#pragma once
// A bridge on a POSIX tty (/dev/ttyUSB0, or the pty of kestrav-sim), raw 8N1.
//
// Opening a tty toggles the modem lines and costs milliseconds, so the file
// descriptor stays open from one transaction to the next; close() keeps it.
// Every open() instead throws away whatever the bridge sent since the last
// transaction, and a device that hung up or vanished is closed and opened
// afresh at the next open(). A transaction whose reply came whole waits for
// nothing else: the line is known to be idle after it. A path that cannot be opened as a tty, or an
// unsupported baud rate, leaves the port closed: it then sends nothing and
// reads nothing, like an unplugged bridge.

#include <chrono>
#include <string>

#include "link/BridgePort.h"

namespace kestrav::link {

class SerialPort : public BridgePort {
 public:
  // How long the line must stay silent before the port counts a bridge
  // that was still talking as done: after a reply that ended short, or when
  // a transaction finds input waiting.
  static constexpr int kQuietMs = 3;

  // `quietMs` is kQuietMs but for tests that need a wide margin.
  explicit SerialPort(std::string path, int baud = 115200, int quietMs = kQuietMs);
  ~SerialPort() override;

  SerialPort(const SerialPort&) = delete;
  SerialPort& operator=(const SerialPort&) = delete;

  void open() override;
  void setTimeouts(int readMs, int writeMs) override;
  void write(std::string_view bytes) override;
  std::size_t read(char* buffer, std::size_t count) override;
  void close() override;

  const std::string& path() const { return path_; }

  // Whether a baud rate is one the tty driver can be set to.
  static bool supportsBaud(int baud);

 private:
  void openDevice();
  bool discardInput();  // false when the device hung up
  bool waitForQuiet();  // reads and drops until the line is quiet; false when the device hung up
  bool drainOutput(std::chrono::steady_clock::time_point deadline);  // false if still queued
  void drop();          // forget a device that failed

  std::string path_;
  int baud_;
  int quietMs_;
  int fd_ = -1;
  int readTimeoutMs_ = 0;
  int writeTimeoutMs_ = 0;
  bool outputStuck_ = false;  // the last write did not leave before its deadline
  std::chrono::steady_clock::time_point writeDeadline_{};  // of this transaction's write
};

}  // namespace kestrav::link
