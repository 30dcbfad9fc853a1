#include "ftdi/EmulatedFtdi.h"

#include <linux/ioctl.h>
#include <linux/usbdevice_fs.h>
#include <umockdev.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace kestrav::test {

namespace {

constexpr const char* kDevNode = "/dev/bus/usb/001/001";
constexpr const char* kSysPath = "/sys/devices/usb1";
constexpr unsigned char kBulkIn = 0x81;
constexpr unsigned char kBulkOut = 0x02;

// An FT232R as it enumerates: device descriptor (USB 2.0, class in the
// interface, 8-byte control endpoint, 0403:6001, bcdDevice 6.00 which
// libftdi takes for the R type, three strings, one configuration), then the
// configuration (32 bytes in all, bus-powered with remote wake-up, 90 mA)
// with one vendor-class interface and its two 64-byte bulk endpoints.
constexpr const char* kDevice =
    "P: /devices/usb1\n"
    "N: bus/usb/001/001\n"
    "E: SUBSYSTEM=usb\n"
    "E: DRIVER=usb\n"
    "E: BUSNUM=001\n"
    "E: DEVNUM=001\n"
    "E: DEVNAME=/dev/bus/usb/001/001\n"
    "E: DEVTYPE=usb_device\n"
    "E: PRODUCT=403/6001/600\n"
    "A: bConfigurationValue=1\\n\n"
    "A: busnum=1\\n\n"
    "A: devnum=1\\n\n"
    "A: speed=12\\n\n"
    "A: idVendor=0403\\n\n"
    "A: idProduct=6001\\n\n"
    "H: descriptors="
    "12010002000000080304016000060102"
    "0301"
    "09022000010100a02d"
    "0904000002ffffff02"
    "07058102400000"
    "07050202400000\n";

struct Setup {
  std::uint8_t requestType;
  std::uint8_t request;
  std::uint16_t value;
  std::uint16_t index;
  std::uint16_t length;
};

Setup setupOf(const unsigned char* b) {
  return {b[0], b[1], static_cast<std::uint16_t>(b[2] | b[3] << 8), static_cast<std::uint16_t>(b[4] | b[5] << 8),
          static_cast<std::uint16_t>(b[6] | b[7] << 8)};
}

usbdevfs_urb* urbOf(UMockdevIoctlData* d) { return reinterpret_cast<usbdevfs_urb*>(d->data); }

}  // namespace

bool EmulatedFtdi::available() {
  // umockdev_in_mock_environment() only tells once a test bed exists.
  const char* preload = std::getenv("LD_PRELOAD");
  return preload != nullptr && std::strstr(preload, "libumockdev-preload") != nullptr;
}

EmulatedFtdi::EmulatedFtdi(sim::SimOptions bridge)
    : bridge_(std::move(bridge)), chip_([this](std::string_view c) { return bridge_.process(c); }) {
  testbed_ = umockdev_testbed_new();
  handler_ = umockdev_ioctl_base_new();
  g_signal_connect(handler_, "handle-ioctl", G_CALLBACK(&EmulatedFtdi::onIoctl), this);
  // The handler first, so that the device answers from the moment it shows.
  if (!umockdev_testbed_attach_ioctl(testbed_, kDevNode, handler_, nullptr) ||
      !umockdev_testbed_add_from_string(testbed_, kDevice, nullptr))
    throw std::runtime_error("the test bed did not take the FT232R");
}

EmulatedFtdi::~EmulatedFtdi() {
  g_object_unref(testbed_);  // stops the thread that runs the handler
  for (Urb& u : posted_) g_object_unref(u.data);
  for (Urb& u : finished_) g_object_unref(u.data);
  g_object_unref(handler_);
}

void EmulatedFtdi::unplug() {
  {
    std::lock_guard lock(mutex_);
    unplugged_ = true;
    for (Urb& u : posted_) {
      u.status = -ENODEV;
      finished_.push_back(std::move(u));
    }
    posted_.clear();
  }
  umockdev_testbed_remove_device(testbed_, kSysPath);
}

gboolean EmulatedFtdi::onIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self) {
  return static_cast<EmulatedFtdi*>(self)->handle(client);
}

bool EmulatedFtdi::handle(UMockdevIoctlClient* client) {
  std::lock_guard lock(mutex_);
  const unsigned long request = umockdev_ioctl_client_get_request(client);
  // Transfers already ended are reaped even after the device went: they
  // carry the news of its going.
  if (unplugged_ && !((request == USBDEVFS_REAPURB || request == USBDEVFS_REAPURBNDELAY) && !finished_.empty())) {
    umockdev_ioctl_client_complete(client, -1, ENODEV);
    return true;
  }
  switch (request) {
    case USBDEVFS_GET_CAPABILITIES: {
      UMockdevIoctlData* caps =
          umockdev_ioctl_data_resolve(umockdev_ioctl_client_get_arg(client), 0, sizeof(guint32), nullptr);
      *reinterpret_cast<guint32*>(caps->data) = USBDEVFS_CAP_BULK_CONTINUATION | USBDEVFS_CAP_NO_PACKET_SIZE_LIM |
                                           USBDEVFS_CAP_REAP_AFTER_DISCONNECT | USBDEVFS_CAP_ZERO_PACKET;
      umockdev_ioctl_client_complete(client, 0, 0);
      g_object_unref(caps);
      return true;
    }
    case USBDEVFS_CLAIMINTERFACE:
    case USBDEVFS_RELEASEINTERFACE:
    case USBDEVFS_SETCONFIGURATION:
    case USBDEVFS_CLEAR_HALT:
    case USBDEVFS_RESET:
    case USBDEVFS_RESETEP:
      umockdev_ioctl_client_complete(client, 0, 0);
      return true;
    case USBDEVFS_GETDRIVER:
    case USBDEVFS_IOCTL:  // no kernel driver holds the interface to detach
      umockdev_ioctl_client_complete(client, -1, ENODATA);
      return true;
    case USBDEVFS_SUBMITURB:
      submit(client);
      return true;
    case USBDEVFS_REAPURB:
    case USBDEVFS_REAPURBNDELAY:
      reap(client);
      return true;
    case USBDEVFS_DISCARDURB:
      discard(client);
      return true;
    default:
      umockdev_ioctl_client_complete(client, -1, ENOTTY);
      return true;
  }
}

void EmulatedFtdi::submit(UMockdevIoctlClient* client) {
  const auto now = Ft232rChip::Clock::now();
  Urb urb;
  urb.data = umockdev_ioctl_data_resolve(umockdev_ioctl_client_get_arg(client), 0, sizeof(usbdevfs_urb), nullptr);
  usbdevfs_urb* u = urbOf(urb.data);
  const std::size_t length = u->buffer_length > 0 ? static_cast<std::size_t>(u->buffer_length) : 0;
  if (length > 0)
    g_object_unref(umockdev_ioctl_data_resolve(urb.data, G_STRUCT_OFFSET(usbdevfs_urb, buffer), length, nullptr));
  const auto* buffer = static_cast<const unsigned char*>(u->buffer);

  if (u->type == USBDEVFS_URB_TYPE_CONTROL && length >= 8) {
    const Setup s = setupOf(buffer);
    const bool vendor = (s.requestType & 0x60) == 0x40;
    if (vendor) urb.answer = chip_.control({s.request, s.value, s.index}, s.length, now);
    if ((s.requestType & 0x80) == 0) urb.answer.clear();
    urb.answer.resize(std::min<std::size_t>(urb.answer.size(), length - 8));
    finished_.push_back(std::move(urb));
  } else if (u->type == USBDEVFS_URB_TYPE_BULK && u->endpoint == kBulkOut) {
    chip_.hostWrote(std::string_view(reinterpret_cast<const char*>(buffer), length), now);
    urb.answer.assign(length, '\0');  // all taken; only its length goes back
    finished_.push_back(std::move(urb));
  } else if (u->type == USBDEVFS_URB_TYPE_BULK && u->endpoint == kBulkIn) {
    urb.in.capacity = length;
    urb.in.posted = now;
    posted_.push_back(std::move(urb));
  } else {
    g_object_unref(urb.data);
    umockdev_ioctl_client_complete(client, -1, EINVAL);
    return;
  }
  umockdev_ioctl_client_complete(client, 0, 0);
}

// Writes the outcome into the host's copy of the URB.
void EmulatedFtdi::finish(Urb& urb) {
  usbdevfs_urb* u = urbOf(urb.data);
  const bool control = u->type == USBDEVFS_URB_TYPE_CONTROL;
  const bool in = control ? (static_cast<const unsigned char*>(u->buffer)[0] & 0x80) != 0 : (u->endpoint & 0x80) != 0;
  if (in && !urb.answer.empty())
    std::memcpy(static_cast<char*>(u->buffer) + (control ? 8 : 0), urb.answer.data(), urb.answer.size());
  u->actual_length = static_cast<int>(urb.answer.size());
  u->status = urb.status;
}

void EmulatedFtdi::reap(UMockdevIoctlClient* client) {
  const auto now = Ft232rChip::Clock::now();
  for (auto it = posted_.begin(); it != posted_.end(); ++it) {
    if (!chip_.fill(it->in, now)) continue;
    it->answer = std::move(it->in.data);
    finished_.push_back(std::move(*it));
    posted_.erase(it);
    break;
  }
  if (finished_.empty()) {
    umockdev_ioctl_client_complete(client, -1, unplugged_ ? ENODEV : EAGAIN);
    return;
  }
  Urb urb = std::move(finished_.front());
  finished_.pop_front();
  finish(urb);
  UMockdevIoctlData* where =
      umockdev_ioctl_data_resolve(umockdev_ioctl_client_get_arg(client), 0, sizeof(gpointer), nullptr);
  umockdev_ioctl_data_set_ptr(where, 0, urb.data);
  umockdev_ioctl_client_complete(client, 0, 0);
  g_object_unref(where);
  g_object_unref(urb.data);
}

void EmulatedFtdi::discard(UMockdevIoctlClient* client) {
  // The argument is the host's address of the URB itself. A cancelled
  // bulk-in transfer hands back the packets it holds.
  const auto address = reinterpret_cast<gulong>(*reinterpret_cast<void**>(umockdev_ioctl_client_get_arg(client)->data));
  for (auto it = posted_.begin(); it != posted_.end(); ++it) {
    if (it->data->client_addr != address) continue;
    it->answer = std::move(it->in.data);
    it->status = -ENOENT;
    finished_.push_back(std::move(*it));
    posted_.erase(it);
    umockdev_ioctl_client_complete(client, 0, 0);
    return;
  }
  umockdev_ioctl_client_complete(client, -1, EINVAL);
}

}  // namespace kestrav::test
