#pragma once
// Looks at a window as a user would: every visible widget inside its
// parent, no two visible neighbours on top of one another (parts of one
// drawn symbol aside), and every caption and text fitting its widget with
// the fonts in use.

#include <QWidget>
#include <string>
#include <vector>

namespace kestrav::test {

std::vector<std::string> layoutProblems(const QWidget& root);

}  // namespace kestrav::test
