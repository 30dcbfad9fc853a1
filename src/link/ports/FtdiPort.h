#pragma once
// A bridge on the first FTDI USB device (vendor 0x0403, any product),
// through libftdi1: "device 0" of the bridge's vendor library.
//
// The device stays claimed from one transaction to the next; close() keeps
// it. Every open() purges the chip's receive side, which drops what the
// bridge sent since the last transaction and proves the device is still
// there. When the last transaction may have left an answer on its way in
// (its read gave up while characters still came, or the device was just
// claimed), open() also reads until the line is quiet. A read's time-out
// counts from when the command has left the chip. A purge, read or write
// that fails releases the device, and the next open() looks for the first
// FTDI device afresh. With no device (or no USB at all) every call returns
// at once and delivers nothing.

#include <chrono>

#include "link/BridgePort.h"

struct ftdi_context;

namespace kestrav::link {

class FtdiPort : public BridgePort {
 public:
  using Clock = std::chrono::steady_clock;

  explicit FtdiPort(int baud = 115200);
  ~FtdiPort() override;

  FtdiPort(const FtdiPort&) = delete;
  FtdiPort& operator=(const FtdiPort&) = delete;

  void open() override;
  void setTimeouts(int readMs, int writeMs) override;
  void write(std::string_view bytes) override;
  std::size_t read(char* buffer, std::size_t count) override;
  void close() override;

 private:
  bool connect();       // claims and configures the first FTDI device
  void disconnect();    // releases it (also after it vanished)
  bool discardInput();  // false when the device vanished
  bool waitForQuiet();  // false when the device vanished

  int baud_;
  ftdi_context* ctx_ = nullptr;
  bool noUsb_ = false;  // the USB library could not start: never try again
  bool opened_ = false;
  int readTimeoutMs_ = 0;
  int writeTimeoutMs_ = 0;
  bool settled_ = false;         // nothing of an earlier answer can still arrive
  bool wroteSinceRead_ = false;  // this transaction wrote and has not read yet
  Clock::time_point lineFreeAt_;  // when the chip will have sent everything written
};

}  // namespace kestrav::link
