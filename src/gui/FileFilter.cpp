#include "gui/FileFilter.h"

#include <algorithm>
#include <cctype>

namespace kestrav::gui {

namespace {

std::string trim(const std::string& s) {
  const std::size_t b = s.find_first_not_of(' ');
  if (b == std::string::npos) return {};
  return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

std::vector<std::string> split(const std::string& s, char sep) {
  std::vector<std::string> out;
  std::size_t start = 0;
  while (true) {
    const std::size_t at = s.find(sep, start);
    out.push_back(trim(s.substr(start, at - start)));
    if (at == std::string::npos) break;
    start = at + 1;
  }
  return out;
}

bool endsWithNoCase(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() &&
         std::equal(tail.rbegin(), tail.rend(), s.rbegin(), [](char a, char b) {
           return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
         });
}

}  // namespace

FileFilter parseFileFilter(const std::string& filter) {
  FileFilter out;
  const std::vector<std::string> parts = split(filter, '|');
  for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
    const std::string& description = parts[i];
    std::string patterns = parts[i + 1];
    std::replace(patterns.begin(), patterns.end(), ';', ' ');
    // Qt reads the patterns from the parentheses of the name.
    out.nameFilters.push_back(description.find('(') != std::string::npos ? description
                                                                         : description + " (" + patterns + ")");
    if (i == 0 && patterns.rfind("*.", 0) == 0) {
      const std::string ending = patterns.substr(2, patterns.find(' ') - 2);
      if (ending.find_first_of("*?") == std::string::npos) out.suffix = ending;
    }
  }
  if (parts.size() == 1 && !parts[0].empty()) out.nameFilters.push_back(parts[0]);
  return out;
}

std::string withSuffix(const std::string& path, const std::string& suffix) {
  if (suffix.empty() || endsWithNoCase(path, "." + suffix)) return path;
  return path + "." + suffix;
}

}  // namespace kestrav::gui
