#pragma once
// The texts of the program are UTF-8; a workbook holds UTF-16.

#include <string>
#include <string_view>

namespace kestrav::datalog::xls {

// UTF-16 of a UTF-8 text. A byte that does not start a valid UTF-8 sequence
// is taken as the Latin-1 character of the same value, so nothing is lost
// silently from a path of another encoding.
std::u16string utf16FromUtf8(std::string_view text);

}  // namespace kestrav::datalog::xls
