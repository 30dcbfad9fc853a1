#pragma once
// What kestrav-log proves before it first asks the bridge anything: that it
// can save what it will collect. The journal is created with its header
// beside the workbook (so it exists whatever ends the run), and a file is
// created and removed again in the workbook's folder, where the workbook's
// temporary file will go. A run that could not save is refused up front
// instead of collecting for hours and losing everything at the end.

#include <functional>
#include <string>

#include "context/Monitor.h"
#include "headless/LogCommandLine.h"

namespace kestrav::headless {

// Creates a file in `folder` and removes it again; false with the reason
// when no file can be created there.
using FolderProbe = std::function<bool(const std::string& folder, std::string* reason)>;
bool canCreateFileIn(const std::string& folder, std::string* reason);

// Empty when both files can be written, the journal then open; otherwise
// the reason as one line, and nothing left behind.
std::string prepareFiles(context::Monitor& m, const LogOptions& o, const FolderProbe& probe = canCreateFileIn);

}  // namespace kestrav::headless
