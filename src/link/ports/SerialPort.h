#pragma once
// A bridge on a POSIX tty (/dev/ttyUSB0, or the pty of kestrav-sim), raw 8N1.

#include <string>

#include "link/BridgePort.h"

namespace kestrav::link {

class SerialPort : public BridgePort {
 public:
  explicit SerialPort(std::string path, int baud = 115200);
  ~SerialPort() override;

  void open() override;
  void setTimeouts(int readMs, int writeMs) override;
  void write(std::string_view bytes) override;
  std::size_t read(char* buffer, std::size_t count) override;
  void close() override;

  const std::string& path() const { return path_; }

 private:
  std::string path_;
  int baud_;
  int fd_ = -1;
  int readTimeoutMs_ = 0;
  int writeTimeoutMs_ = 0;
};

}  // namespace kestrav::link
