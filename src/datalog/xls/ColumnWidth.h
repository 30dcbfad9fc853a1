#pragma once
// How wide a spreadsheet column must be to show a text: the width the
// spreadsheet's own "fit to contents" would give in its default font
// (Arial 10), in 1/256 of the width of the digit '0' as a COLINFO record
// stores it.

#include <cstdint>
#include <string_view>

namespace kestrav::datalog::xls {

// Width of a text in digit widths ('0' = 1.0), in the regular or bold font.
double textWidth(std::u16string_view text, bool bold);

// Column width for content `digits` digit widths wide, including the cell's
// margins; capped at the spreadsheet's maximum of 255 characters.
std::uint16_t columnWidthFor(double digits);

}  // namespace kestrav::datalog::xls
