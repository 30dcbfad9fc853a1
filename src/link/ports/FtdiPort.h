#pragma once
// A bridge on the first FTDI USB device (vendor 0x0403), through libftdi1:
// "device 0" of the bridge's vendor library.

#include "link/BridgePort.h"

struct ftdi_context;

namespace kestrav::link {

class FtdiPort : public BridgePort {
 public:
  explicit FtdiPort(int baud = 115200);
  ~FtdiPort() override;

  void open() override;
  void setTimeouts(int readMs, int writeMs) override;
  void write(std::string_view bytes) override;
  std::size_t read(char* buffer, std::size_t count) override;
  void close() override;

 private:
  int baud_;
  ftdi_context* ctx_ = nullptr;
  bool opened_ = false;
  int readTimeoutMs_ = 0;
  int writeTimeoutMs_ = 0;
};

}  // namespace kestrav::link
