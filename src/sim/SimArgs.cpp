#include "sim/SimArgs.h"

#include <charconv>
#include <cstdint>
#include <sstream>

namespace kestrav::sim {

namespace {

constexpr int kHighestLineBaud = 12'000'000;  // the fastest FTDI chips' UART
constexpr int kLongestLatencyMs = 255;        // the adapter's latency timer holds a byte

template <typename T>
bool parseNumber(const std::string& text, T& value, int base = 10) {
  const char* end = text.data() + text.size();
  std::from_chars_result r{};
  if constexpr (std::is_floating_point_v<T>)
    r = std::from_chars(text.data(), end, value);
  else
    r = std::from_chars(text.data(), end, value, base);
  return !text.empty() && r.ec == std::errc() && r.ptr == end;
}

bool parseShare(const std::string& text, double& share) {
  return parseNumber(text, share) && share >= 0.0 && share <= 1.0;
}

// "81,82,8A": hex bus addresses, "0x" prefix allowed.
bool parseAddresses(const std::string& text, std::vector<int>& out) {
  std::stringstream in(text);
  std::string item;
  while (std::getline(in, item, ',')) {
    if (item.size() > 2 && item[0] == '0' && (item[1] == 'x' || item[1] == 'X')) item.erase(0, 2);
    int a = 0;
    if (!parseNumber(item, a, 16) || a < 0x80 || a > 0x8F) return false;
    out.push_back(a);
  }
  return !out.empty();
}

// "B:C": board number (1 = first chip) and cell 1..12.
bool parseOpenWire(const std::string& text, OpenWire& w) {
  const auto colon = text.find(':');
  if (colon == std::string::npos) return false;
  int board = 0, cell = 0;
  if (!parseNumber(text.substr(0, colon), board) || !parseNumber(text.substr(colon + 1), cell)) return false;
  if (board < 1 || board > 15 || cell < 1 || cell > 12) return false;
  w = {board - 1, cell};
  return true;
}

}  // namespace

SimArgs parseSimArgs(const std::vector<std::string>& args) {
  SimArgs r;
  SimOptions& o = r.options;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& flag = args[i];
    if (flag == "--help" || flag == "-h") {
      r.help = true;
      continue;
    }
    // The word after an option is its value unless it is the next option.
    if (i + 1 >= args.size() || args[i + 1].rfind("--", 0) == 0) {
      r.error = flag.rfind("--", 0) == 0 ? "missing value for " + flag : "unknown argument " + flag;
      return r;
    }
    const std::string& v = args[++i];
    bool ok = true;
    if (flag == "--boards")
      ok = parseNumber(v, o.boards) && o.boards >= 0 && o.boards <= 15;
    else if (flag == "--addresses")
      ok = parseAddresses(v, o.addresses);
    else if (flag == "--seed")
      ok = parseNumber(v, o.seed);
    else if (flag == "--corrupt")
      ok = parseShare(v, o.corruptShare);
    else if (flag == "--short")
      ok = parseShare(v, o.shortShare);
    else if (flag == "--drop")
      ok = parseShare(v, o.dropShare);
    else if (flag == "--unplug-after")
      ok = parseNumber(v, o.unplugAfter) && o.unplugAfter >= 0;
    else if (flag == "--line-baud")
      ok = parseNumber(v, o.lineBaud) && o.lineBaud >= 0 && o.lineBaud <= kHighestLineBaud;
    else if (flag == "--usb-latency-ms")
      ok = parseNumber(v, o.usbLatencyMs) && o.usbLatencyMs >= 0 && o.usbLatencyMs <= kLongestLatencyMs;
    else if (flag == "--identity")
      ok = !v.empty();
    else if (flag == "--cell-volts")
      ok = parseNumber(v, o.cellVolts) && o.cellVolts >= 0.0 && o.cellVolts <= 6.0;
    else if (flag == "--open-wire") {
      OpenWire w;
      ok = parseOpenWire(v, w);
      if (ok) o.openWires.push_back(w);
    } else {
      r.error = "unknown option " + flag;
      return r;
    }
    if (flag == "--identity") o.identity = v;
    if (!ok) {
      r.error = "bad value for " + flag + ": " + v;
      return r;
    }
  }
  if (o.corruptShare + o.shortShare + o.dropShare > 1.0 + 1e-9)
    r.error = "--corrupt, --short and --drop together exceed 1";
  return r;
}

std::string simUsage() {
  return "usage: kestrav-sim [options]\n"
         "Plays the KESTRAV-2 SPI bridge and its boards on a pseudo-terminal;\n"
         "the first line of output is the terminal's path.\n"
         "\n"
         "  --boards N          chips at 81, 82, ... (default 10, at most 15)\n"
         "  --addresses LIST    hex addresses instead, e.g. 81,82,84 (80..8F)\n"
         "  --seed N            random seed (default 1)\n"
         "  --cell-volts V      centre of the cell voltages (default 3.6)\n"
         "  --open-wire B:C     broken sense wire at cell C of board B (repeatable)\n"
         "  --corrupt SHARE     share of read replies with a corrupted byte (0..1)\n"
         "  --short SHARE       share of read replies cut short\n"
         "  --drop SHARE        share of read replies not answered\n"
         "  --unplug-after N    go silent after N transactions\n"
         "  --identity TEXT     name the bridge reports (default KESTRAV-2)\n"
         "  --line-baud N       model the serial line: 10 bits per character at N Bd\n"
         "                      each way (default 0: answers come at once)\n"
         "  --usb-latency-ms L  model the USB adapter's latency timer: a short answer\n"
         "                      waits L ms (0..255, default 0) unless 62 characters wait\n"
         "  --help              this text\n";
}

}  // namespace kestrav::sim
