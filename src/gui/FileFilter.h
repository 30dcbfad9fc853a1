#pragma once
// The filter of a save dialog as the routines write it, "description|pattern"
// pairs ("Excel file (*.xls) |*.xls"), turned into what a file dialog shows.
// No Qt here.

#include <string>
#include <vector>

namespace kestrav::gui {

struct FileFilter {
  std::vector<std::string> nameFilters;  // "Excel file (*.xls)", one per pair
  std::string suffix;                    // "xls": the ending of the first pattern, if it has one
};

FileFilter parseFileFilter(const std::string& filter);

// The path with ".suffix" appended unless it already ends so (any case).
std::string withSuffix(const std::string& path, const std::string& suffix);

}  // namespace kestrav::gui
