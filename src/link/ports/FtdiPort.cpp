#include "link/ports/FtdiPort.h"

#include <ftdi.h>
#include <libusb.h>

#include <algorithm>
#include <climits>

namespace kestrav::link {

namespace {

constexpr int kFtdiVendor = 0x0403;
// The chip holds back a short reply until its latency timer runs out
// (16 ms out of the box); 2 ms lets a nine-character reply come back at once.
constexpr unsigned char kLatencyMs = 2;
// Silence that tells the bridge has finished answering: longer than the
// latency timer, so a held-back answer cannot pass for silence.
constexpr int kQuietMs = 5;
// The chip answers every bulk read within one latency period, with status
// bytes alone if nothing waits. A USB transfer is given this much beyond
// the read's own deadline, so that it never runs out before the chip's
// answer: a transfer that still times out means the chip stopped answering.
constexpr int kUsbSlackMs = 10 * kLatencyMs;

int remainingMs(FtdiPort::Clock::time_point deadline) {
  const auto left = deadline - FtdiPort::Clock::now();
  if (left <= FtdiPort::Clock::duration::zero()) return 0;
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
  // The bridge may be in the middle of an answer to whoever had it before.
  settled_ = false;
  lineFreeAt_ = Clock::now();
  return opened_;
}

void FtdiPort::disconnect() {
  if (opened_) ftdi_usb_close(ctx_);
  opened_ = false;
}

bool FtdiPort::waitForQuiet() {
  // Read until the line has been quiet for a while, a bounded number of
  // times so that a chattering device cannot stall open(). Every read waits
  // for the chip's next packet, which comes within a latency period. Quiet
  // is proven by an empty packet asked for kQuietMs after the last
  // character, not by the time the host took to get round to asking.
  unsigned char scratch[256];
  for (int i = 0; i < 16; ++i) {
    const auto heard = Clock::now();
    for (;;) {
      const auto asked = Clock::now();
      ctx_->usb_read_timeout = kQuietMs + kUsbSlackMs;
      const int n = ftdi_read_data(ctx_, scratch, sizeof scratch);
      if (n < 0) return false;
      if (n > 0) break;
      if (asked - heard >= std::chrono::milliseconds(kQuietMs)) {
        settled_ = true;
        return true;
      }
    }
  }
  settled_ = true;  // a chattering device: give up waiting
  return true;
}

bool FtdiPort::discardInput() {
  // Only the receive side is purged: the previous command may still be
  // leaving the chip. The flush also proves the device is still there.
  if (ftdi_tciflush(ctx_) != 0) return false;
  // Characters still on their way in arrive after the purge: wait them out,
  // unless the last transaction asked for no answer, heard its whole
  // answer, or heard nothing for long enough (see read() and close()).
  return settled_ || waitForQuiet();
}

void FtdiPort::open() {
  if (opened_ && !discardInput()) disconnect();  // unplugged since the last transaction
  if (!opened_ && connect() && !discardInput()) disconnect();
  wroteSinceRead_ = false;
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
  // have left it: they take their time on the line (ten bits a character)
  // after whatever the chip is still sending.
  const auto onTheLine = std::chrono::microseconds(static_cast<long long>(size) * 10 * 1000000 / baud_);
  lineFreeAt_ = std::max(lineFreeAt_, Clock::now()) + onTheLine;
  wroteSinceRead_ = true;
}

std::size_t FtdiPort::read(char* buffer, std::size_t count) {
  wroteSinceRead_ = false;
  if (!opened_ || count == 0) return 0;
  // The read time-out counts from when the command has left the chip, so
  // that a slow line does not eat into the bridge's time to answer.
  // ftdi_read_data hands back what the chip has so far, often nothing; it
  // is called again until the reply is complete or the deadline has passed.
  // Each call waits for the chip's next packet, so the loop never spins.
  const auto start = Clock::now();
  const auto deadline = std::max(start, lineFreeAt_) + std::chrono::milliseconds(readTimeoutMs_);
  auto heard = start;        // the last character, or the start
  auto quietAsked = start;   // when the last empty packet was asked for
  auto* out = reinterpret_cast<unsigned char*>(buffer);
  std::size_t got = 0;
  for (;;) {
    const int left = remainingMs(deadline);
    ctx_->usb_read_timeout = left + kUsbSlackMs;
    const int want = static_cast<int>(std::min<std::size_t>(count - got, INT_MAX));
    const auto asked = Clock::now();
    const int n = ftdi_read_data(ctx_, out + got, want);
    if (n == LIBUSB_ERROR_TIMEOUT) break;  // the chip is silent; open() finds out whether it is gone
    if (n < 0) {
      disconnect();
      break;
    }
    if (n > 0)
      heard = Clock::now();
    else
      quietAsked = asked;
    got += static_cast<std::size_t>(n);
    if (got >= count || left == 0) break;
  }
  // A reply that came whole leaves nothing behind on the line. One that did
  // not may still be arriving, unless an empty packet was asked for longer
  // after the last character than the chip holds a short reply plus the
  // quiet that tells the bridge is done. (The bridge answers two characters
  // for each "T" and "R" token, and the link asks for exactly that; more
  // than asked, still in libftdi's buffer, means a bridge that answers
  // otherwise.)
  settled_ = (got >= count && ctx_->readbuffer_remaining == 0) ||
             quietAsked - heard >= std::chrono::milliseconds(kLatencyMs + kQuietMs);
  return got;
}

// The device stays claimed between transactions (see the header). A
// command that reads nothing (a start, a poll) is answered with nothing.
void FtdiPort::close() {
  if (wroteSinceRead_) settled_ = true;
}

}  // namespace kestrav::link
