#include "headless/Console.h"

namespace kestrav::headless {

namespace {
constexpr const char* kClearLine = "\r\033[K";
}

void Console::clearStatus() {
  if (!shown_.empty()) out_ << kClearLine;
}

void Console::line(const std::string& text) {
  clearStatus();
  out_ << text << '\n';
  if (!shown_.empty()) out_ << shown_;
  out_.flush();
}

void Console::status(const std::string& text) {
  if (!live_) {
    line(text);
    return;
  }
  // The last column stays free: a full row would move the cursor on.
  const std::string fitted =
      width_ > 1 && text.size() >= static_cast<std::size_t>(width_) ? text.substr(0, width_ - 1) : text;
  if (fitted == shown_) return;
  clearStatus();
  shown_ = fitted;
  out_ << shown_ << std::flush;
}

void Console::endStatus() {
  if (shown_.empty()) return;
  out_ << '\n' << std::flush;
  shown_.clear();
}

std::string oneLine(const std::string& text) {
  std::string out;
  bool blank = false;
  for (const char c : text) {
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
      blank = !out.empty();
      continue;
    }
    if (blank) out += ' ';
    blank = false;
    out += c;
  }
  return out;
}

}  // namespace kestrav::headless
