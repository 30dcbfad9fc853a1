// The FTDI port on a machine without an FTDI device: the whole transaction
// runs and delivers nothing, whatever the baud rate asked for.

#include <gtest/gtest.h>
#include <libusb.h>

#include <chrono>
#include <memory>

#include "link/BridgeLink.h"
#include "link/ports/FtdiPort.h"

namespace kestrav::link {
namespace {

using namespace std::chrono_literals;

bool ftdiDevicePresent() {
  libusb_context* usb = nullptr;
  if (libusb_init(&usb) != 0) return false;
  libusb_device** list = nullptr;
  const ssize_t n = libusb_get_device_list(usb, &list);
  bool found = false;
  for (ssize_t i = 0; i < n && !found; ++i) {
    libusb_device_descriptor d{};
    found = libusb_get_device_descriptor(list[i], &d) == 0 && d.idVendor == 0x0403;
  }
  if (n >= 0) libusb_free_device_list(list, 1);
  libusb_exit(usb);
  return found;
}

TEST(FtdiPortWithoutDevice, TransactionsDeliverNothing) {
  if (ftdiDevicePresent()) GTEST_SKIP() << "an FTDI device is plugged in";
  for (int baud : {115200, 0, -9600, 7}) {
    SCOPED_TRACE(baud);
    BridgeLink link(std::make_unique<FtdiPort>(baud));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(link.identify(), std::string(kIdentifyBufferSize, ' '));
    link.send("MSxT81T01SE0S00S00S00S00S00X");
    EXPECT_EQ(link.read(ReadCommand::RDCFG, "MSxT81T02RRRRRRRX"), 0u);
    EXPECT_EQ(link.reply(ReadCommand::RDCFG), std::string(18, ' '));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
  }
}

}  // namespace
}  // namespace kestrav::link
