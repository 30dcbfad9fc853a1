#pragma once
// How the view splits a caption for display. The model keeps every text as
// the routines wrote it; these helpers only decide how a widget lays it out.
// No Qt here, so the rules can be checked on their own.

#include <string>
#include <string_view>
#include <vector>

namespace kestrav::gui {

// A run of three or more blanks in a caption marks a line break (captions
// were spaced to wrap inside a narrow button or label). Leading and trailing
// blanks go; shorter runs stay as they are.
std::string breakSpaceRuns(std::string_view text);

// Words separated by blanks ("ADDRESS 81    82" -> "ADDRESS", "81", "82").
std::vector<std::string> wordTokens(std::string_view text);

// Row names of the stack overview: words, where a lone number belongs to
// the word before it ("CELL 9" and "C 9" stay one entry, "C12" is one).
std::vector<std::string> rowLegendTokens(std::string_view text);

// The non-empty cells between "|" separators, trimmed
// ("TITLE   | CFGR0 | CFGR1 |" -> "TITLE", "CFGR0", "CFGR1").
std::vector<std::string> pipeTokens(std::string_view text);

// A table written as rows of "|"-separated cells, one row straight after
// the other ("| a | b | |  c |  | "): every cell of every row, row by row,
// empty cells kept, trimmed.
std::vector<std::string> pipeTableCells(std::string_view text);

}  // namespace kestrav::gui
