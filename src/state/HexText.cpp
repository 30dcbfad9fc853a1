#include "state/HexText.h"

#include <cstdio>

namespace kestrav::state {

std::string hexByte(int value) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  const unsigned v = static_cast<unsigned>(value) & 0xFFu;
  return std::string{kDigits[v >> 4], kDigits[v & 0xF]};
}

int hexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

int leadingHexValue(std::string_view text) {
  int value = 0;
  for (char c : text) {
    const int d = hexDigitValue(c);
    if (d < 0) break;
    value = (value << 4) | d;
    if (value > 0xFFFFFF) break;  // register texts are two digits; stay bounded
  }
  return value;
}

float codeToVolts(int code) { return static_cast<float>(code) * 6.144f / 4095.0f; }

std::string fixed(double value, int decimals) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, value);
  std::string s = buf;
  if (s == "-0.000" || s == "-0.00" || s == "-0.0" || s == "-0") s.erase(0, 1);
  return s;
}

std::string readingText(float volts) { return " " + fixed(volts, 3) + "V  "; }

}  // namespace kestrav::state
