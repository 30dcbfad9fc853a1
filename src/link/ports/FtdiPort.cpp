#include "link/ports/FtdiPort.h"

#include <ftdi.h>
#include <libusb.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <thread>

namespace kestrav::link {

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kFtdiVendor = 0x0403;
// The chip holds back a short reply until its latency timer runs out
// (16 ms out of the box); 2 ms lets a nine-character reply come back at once.
constexpr unsigned char kLatencyMs = 2;
// Silence that tells the bridge has finished answering an earlier command:
// longer than the latency timer, so a held-back answer cannot slip through.
constexpr int kQuietMs = 5;

int remainingMs(Clock::time_point deadline) {
  const auto left = deadline - Clock::now();
  if (left <= Clock::duration::zero()) return 0;
  return static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(left).count());
}

// libftdi's own search matches one exact product id, or a fixed list of
// FTDI's stock ones; the bridge may carry any product id of the vendor.
libusb_device* firstFtdiDevice(libusb_device** list, ssize_t n) {
  for (ssize_t i = 0; i < n; ++i) {
    libusb_device_descriptor d{};
    if (libusb_get_device_descriptor(list[i], &d) == 0 && d.idVendor == kFtdiVendor) return list[i];
  }
  return nullptr;
}

}  // namespace

FtdiPort::FtdiPort(int baud) : baud_(baud) {}

FtdiPort::~FtdiPort() {
  disconnect();
  if (ctx_ != nullptr) ftdi_free(ctx_);
}

bool FtdiPort::connect() {
  if (baud_ <= 0) return false;  // never a rate the chip can make
  if (ctx_ == nullptr && !noUsb_) {
    ctx_ = ftdi_new();  // null when libusb cannot start on this machine
    noUsb_ = ctx_ == nullptr;
  }
  if (ctx_ == nullptr) return false;

  libusb_device** list = nullptr;
  const ssize_t n = libusb_get_device_list(ctx_->usb_ctx, &list);
  if (n < 0) return false;
  libusb_device* device = firstFtdiDevice(list, n);
  // Opening resets the chip, which also empties its buffers.
  const bool claimed = device != nullptr && ftdi_usb_open_dev(ctx_, device) == 0;
  libusb_free_device_list(list, 1);  // an open device keeps its own reference

  opened_ = claimed && ftdi_set_baudrate(ctx_, baud_) == 0 &&  // fails for rates the chip cannot make
            ftdi_set_line_property(ctx_, BITS_8, STOP_BIT_1, NONE) == 0 &&
            ftdi_setflowctrl(ctx_, SIO_DISABLE_FLOW_CTRL) == 0 &&
            ftdi_set_latency_timer(ctx_, kLatencyMs) == 0;
  // Some failed opens leave the USB handle open; release it in every case.
  if (!opened_) ftdi_usb_close(ctx_);
  return opened_;
}

void FtdiPort::disconnect() {
  if (opened_) ftdi_usb_close(ctx_);
  opened_ = false;
}

bool FtdiPort::discardInput() {
  // Only the receive side is purged: the previous command may still be
  // leaving the chip. The flush also proves the device is still there.
  if (ftdi_tciflush(ctx_) != 0) return false;
  // The bridge may still be answering the "T" tokens of the previous
  // (write-only) command: read until the line has been quiet for a while,
  // a bounded amount so that a chattering device cannot stall open().
  unsigned char scratch[256];
  for (int i = 0; i < 16; ++i) {
    const auto quietUntil = Clock::now() + std::chrono::milliseconds(kQuietMs);
    int n = 0;
    while (n == 0 && Clock::now() < quietUntil) {
      ctx_->usb_read_timeout = kQuietMs;
      n = ftdi_read_data(ctx_, scratch, sizeof scratch);
      if (n < 0) return false;
      if (n == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (n == 0) return true;
  }
  return true;
}

void FtdiPort::open() {
  if (opened_ && !discardInput()) disconnect();  // unplugged since the last transaction
  if (!opened_ && connect() && !discardInput()) disconnect();
}

void FtdiPort::setTimeouts(int readMs, int writeMs) {
  readTimeoutMs_ = std::max(readMs, 0);
  writeTimeoutMs_ = std::max(writeMs, 0);
}

void FtdiPort::write(std::string_view bytes) {
  if (!opened_ || bytes.empty()) return;
  // libusb takes a time-out of 0 as "wait for ever".
  ctx_->usb_write_timeout = std::max(writeTimeoutMs_, 1);
  const int size = static_cast<int>(std::min<std::size_t>(bytes.size(), INT_MAX));
  if (ftdi_write_data(ctx_, reinterpret_cast<const unsigned char*>(bytes.data()), size) < 0) {
    disconnect();
    return;
  }
  // The USB transfer ends when the chip has taken the bytes, not when they
  // have left it: wait out their time on the line (ten bits a character),
  // so that the bridge answers while this transaction still listens.
  const auto onTheLine = std::chrono::microseconds(static_cast<long long>(size) * 10 * 1000000 / baud_);
  std::this_thread::sleep_for(std::min<std::chrono::microseconds>(onTheLine, std::chrono::milliseconds(writeTimeoutMs_)));
}

std::size_t FtdiPort::read(char* buffer, std::size_t count) {
  if (!opened_ || count == 0) return 0;
  // ftdi_read_data hands back what the chip has so far, often nothing, so
  // it is called again until the reply is complete or the one deadline of
  // the whole read has passed.
  const auto deadline = Clock::now() + std::chrono::milliseconds(readTimeoutMs_);
  auto* out = reinterpret_cast<unsigned char*>(buffer);
  std::size_t got = 0;
  for (;;) {
    const int left = remainingMs(deadline);
    ctx_->usb_read_timeout = std::max(left, 1);  // no single USB transfer outlives the deadline
    const int want = static_cast<int>(std::min<std::size_t>(count - got, INT_MAX));
    const int n = ftdi_read_data(ctx_, out + got, want);
    if (n < 0) {
      disconnect();
      break;
    }
    got += static_cast<std::size_t>(n);
    if (got >= count || left == 0) break;
    if (n == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return got;
}

// The device stays claimed between transactions (see the header).
void FtdiPort::close() {}

}  // namespace kestrav::link
