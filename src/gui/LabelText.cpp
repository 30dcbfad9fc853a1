#include "gui/LabelText.h"

#include <algorithm>
#include <cctype>

namespace kestrav::gui {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trim(std::string_view s) {
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
  return s;
}

bool allOf(std::string_view s, int (*pred)(int)) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [pred](char c) { return pred(static_cast<unsigned char>(c)) != 0; });
}

// The cells of one "|"-separated row: what lies between its first and its
// last separator, trimmed, empty cells kept.
void appendRowCells(std::string_view row, std::vector<std::string>& out) {
  const std::size_t first = row.find('|');
  const std::size_t last = row.rfind('|');
  if (first == std::string_view::npos || first == last) return;
  std::string_view inner = row.substr(first + 1, last - first - 1);
  while (true) {
    const std::size_t bar = inner.find('|');
    out.emplace_back(trim(inner.substr(0, bar)));
    if (bar == std::string_view::npos) break;
    inner.remove_prefix(bar + 1);
  }
}

}  // namespace

std::string breakSpaceRuns(std::string_view text) {
  std::string out;
  std::size_t i = 0;
  while (i < text.size()) {
    if (!isBlank(text[i])) {
      out += text[i++];
      continue;
    }
    std::size_t j = i;
    while (j < text.size() && isBlank(text[j])) ++j;
    const bool edge = i == 0 || j == text.size();
    if (!edge) out += (j - i >= 3) ? std::string("\n") : std::string(text.substr(i, j - i));
    i = j;
  }
  return out;
}

std::vector<std::string> wordTokens(std::string_view text) {
  std::vector<std::string> out;
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && isBlank(text[i])) ++i;
    std::size_t j = i;
    while (j < text.size() && !isBlank(text[j])) ++j;
    if (j > i) out.emplace_back(text.substr(i, j - i));
    i = j;
  }
  return out;
}

std::vector<std::string> rowLegendTokens(std::string_view text) {
  std::vector<std::string> out;
  for (std::string& word : wordTokens(text)) {
    if (!out.empty() && allOf(word, ::isdigit) && allOf(out.back(), ::isalpha))
      out.back() += " " + word;
    else
      out.push_back(std::move(word));
  }
  return out;
}

std::vector<std::string> pipeTokens(std::string_view text) {
  std::vector<std::string> out;
  while (true) {
    const std::size_t bar = text.find('|');
    const std::string_view cell = trim(text.substr(0, bar));
    if (!cell.empty()) out.emplace_back(cell);
    if (bar == std::string_view::npos) break;
    text.remove_prefix(bar + 1);
  }
  return out;
}

std::vector<std::string> pipeTableCells(std::string_view text) {
  // One row closes with "| " and the next opens with "|" straight after;
  // within a row the separators stand further apart.
  std::vector<std::string> out;
  std::size_t start = 0;
  while (true) {
    const std::size_t joint = text.find("| |", start);
    if (joint == std::string_view::npos) {
      appendRowCells(text.substr(start), out);
      break;
    }
    appendRowCells(text.substr(start, joint + 1 - start), out);
    start = joint + 2;
  }
  return out;
}

}  // namespace kestrav::gui
