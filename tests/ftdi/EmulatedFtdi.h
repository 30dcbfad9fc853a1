#pragma once
// An FT232R (0403:6001) on an emulated USB bus, with the simulated bridge
// and its chain of chips behind the chip's UART: unmodified libusb and
// libftdi1 find it, claim it and talk to it.
//
// The device lives in a umockdev test bed: its sysfs entry carries the
// chip's descriptors byte for byte, and every ioctl on its usbdevfs node
// comes here (submitting, reaping and discarding URBs, claiming the
// interface), where Ft232rChip plays the USB side against the real clock.
// The program must run under `umockdev-wrapper`, which preloads the library
// that reroutes sysfs, /dev and ioctls into the test bed; programs it starts
// see the same device.

#include <glib.h>

#include <deque>
#include <list>
#include <memory>
#include <mutex>

#include "ftdi/Ft232rChip.h"
#include "sim/Simulator.h"

typedef struct _UMockdevTestbed UMockdevTestbed;
typedef struct _UMockdevIoctlBase UMockdevIoctlBase;
typedef struct _UMockdevIoctlClient UMockdevIoctlClient;
typedef struct _UMockdevIoctlData UMockdevIoctlData;

namespace kestrav::test {

class EmulatedFtdi {
 public:
  explicit EmulatedFtdi(sim::SimOptions bridge = {});
  ~EmulatedFtdi();
  EmulatedFtdi(const EmulatedFtdi&) = delete;
  EmulatedFtdi& operator=(const EmulatedFtdi&) = delete;

  // False when the program does not run under umockdev-wrapper.
  static bool available();

  // The chip, for what it recorded; the device's own thread is held off
  // while `f` runs.
  template <class F>
  auto withChip(F f) {
    std::lock_guard lock(mutex_);
    return f(chip_);
  }

  // The device vanishes: what the host has posted fails, every later ioctl
  // fails with ENODEV, and the bus no longer lists it.
  void unplug();

 private:
  struct Urb {
    UMockdevIoctlData* data = nullptr;  // the URB, resolved with its buffer
    Ft232rChip::InTransfer in;          // bulk-in only
    std::string answer;                 // what a finished URB carries back
    int status = 0;
  };

  static gboolean onIoctl(UMockdevIoctlBase* handler, UMockdevIoctlClient* client, gpointer self);
  bool handle(UMockdevIoctlClient* client);
  void submit(UMockdevIoctlClient* client);
  void reap(UMockdevIoctlClient* client);
  void discard(UMockdevIoctlClient* client);
  static void finish(Urb& urb);

  std::mutex mutex_;
  sim::Simulator bridge_;
  Ft232rChip chip_;
  UMockdevTestbed* testbed_ = nullptr;
  UMockdevIoctlBase* handler_ = nullptr;
  std::list<Urb> posted_;      // bulk-in transfers the chip has not ended yet
  std::deque<Urb> finished_;   // waiting for the host to reap them
  bool unplugged_ = false;
};

}  // namespace kestrav::test
