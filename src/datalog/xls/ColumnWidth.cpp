#include "datalog/xls/ColumnWidth.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace kestrav::datalog::xls {
namespace {

// Advance widths of Arial's printable ASCII characters (space .. '~') in
// 1/1000 em; the digits are 556.
constexpr std::array<std::uint16_t, 95> kArial{{
    278, 278, 355, 556, 556, 889, 667, 191, 333, 333, 389, 584, 278, 333, 278, 278,  // ' ' .. '/'
    556, 556, 556, 556, 556, 556, 556, 556, 556, 556, 278, 278, 584, 584, 584, 556,  // '0' .. '?'
    1015, 667, 667, 722, 722, 667, 611, 778, 722, 278, 500, 667, 556, 833, 722, 778,  // '@' .. 'O'
    667, 778, 722, 667, 611, 722, 667, 944, 667, 667, 611, 278, 278, 278, 469, 556,  // 'P' .. '_'
    333, 556, 556, 500, 556, 556, 278, 556, 556, 222, 222, 500, 222, 833, 556, 556,  // '`' .. 'o'
    556, 556, 333, 500, 278, 556, 500, 722, 500, 500, 500, 334, 260, 334, 584,       // 'p' .. '~'
}};

// Arial Bold is wider in the letters and punctuation; the digits stay 556.
constexpr std::array<std::uint16_t, 95> kArialBold{{
    278, 333, 474, 556, 556, 889, 722, 238, 333, 333, 389, 584, 278, 333, 278, 278,
    556, 556, 556, 556, 556, 556, 556, 556, 556, 556, 333, 333, 584, 584, 584, 611,
    975, 722, 722, 722, 722, 667, 611, 778, 722, 278, 556, 722, 611, 833, 722, 778,
    667, 778, 722, 667, 611, 722, 667, 944, 667, 667, 611, 333, 278, 333, 584, 556,
    333, 556, 611, 556, 611, 556, 333, 611, 611, 278, 278, 556, 278, 889, 611, 611,
    611, 611, 389, 556, 333, 611, 556, 778, 556, 556, 500, 389, 280, 389, 584,
}};

constexpr double kDigit = 556.0;
constexpr double kWideGlyph = 1000.0;  // anything outside ASCII: an em, so it never cuts
constexpr double kMarginDigits = 5.0 / 7.0;  // the cell's padding: 5 pixels of a 7-pixel digit
constexpr double kMaxCharacters = 255.0;

}  // namespace

double textWidth(std::u16string_view text, bool bold) {
  const auto& table = bold ? kArialBold : kArial;
  double units = 0;
  for (char16_t c : text) {
    if (c >= 0xDC00 && c <= 0xDFFF) continue;  // second half of a surrogate pair
    units += (c >= 0x20 && c <= 0x7E) ? table[c - 0x20] : kWideGlyph;
  }
  return units / kDigit;
}

std::uint16_t columnWidthFor(double digits) {
  const double characters = std::min(std::ceil(digits) + kMarginDigits, kMaxCharacters);
  return static_cast<std::uint16_t>(std::lround(characters * 256.0));
}

}  // namespace kestrav::datalog::xls
