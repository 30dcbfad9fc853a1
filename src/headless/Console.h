#pragma once
// Standard error of kestrav-log: whole lines for messages and, on a
// terminal, one live status line kept below them.

#include <ostream>
#include <string>

namespace kestrav::headless {

class Console {
 public:
  // `live`: the stream is a terminal, where the status line is rewritten in
  // place; elsewhere every status is a line of its own. `width`: the
  // terminal's columns (0 unknown); a live line is cut to fit, since a line
  // that wraps cannot be rewritten in place.
  Console(std::ostream& out, bool live, int width = 0) : out_(out), live_(live), width_(width) {}

  bool live() const { return live_; }

  // One line; a live status line is cleared first and shown again after it.
  void line(const std::string& text);
  void status(const std::string& text);
  // Leaves the live status line standing, so that what follows starts on a
  // line of its own.
  void endStatus();

 private:
  void clearStatus();

  std::ostream& out_;
  bool live_;
  int width_;
  std::string shown_;  // the live status line on screen, if any
};

// The text on one line: every run of line breaks, tabs and blanks becomes
// one blank, and nothing stands before or after.
std::string oneLine(const std::string& text);

}  // namespace kestrav::headless
