#include "context/Control.h"

#include <algorithm>
#include <utility>

namespace kestrav::context {

Control::Control(ControlKind kind, std::string name, int index)
    : kind_(kind), name_(std::move(name)), index_(index) {}

std::string Control::objectName() const {
  return index_ < 0 ? name_ : name_ + "_" + std::to_string(index_);
}

std::string Control::inventoryName() const {
  return index_ < 0 ? name_ : name_ + "(" + std::to_string(index_) + ")";
}

template <typename T>
static bool assign(T& field, T value) {
  if (field == value) return false;
  field = std::move(value);
  return true;
}

void Control::setText(std::string text) {
  if (assign(text_, std::move(text))) touch();
}
void Control::setToolTip(std::string tip) {
  if (assign(toolTip_, std::move(tip))) touch();
}
void Control::setBackColor(std::uint32_t c) {
  if (assign(backColor_, c)) touch();
}
void Control::setForeColor(std::uint32_t c) {
  if (assign(foreColor_, c)) touch();
}
void Control::setFillColor(std::uint32_t c) {
  if (assign(fillColor_, c)) touch();
}
void Control::setVisible(bool v) {
  if (assign(visible_, v)) touch();
}
void Control::setEnabled(bool e) {
  if (assign(enabled_, e)) touch();
}
void Control::setLeft(int v) {
  if (assign(left_, v)) touch();
}
void Control::setTop(int v) {
  if (assign(top_, v)) touch();
}
void Control::setWidth(int v) {
  if (assign(width_, v)) touch();
}
void Control::setHeight(int v) {
  if (assign(height_, v)) touch();
}
void Control::setInterval(int ms) {
  if (assign(interval_, ms)) touch();
}
void Control::setItems(std::vector<std::string> items) {
  if (assign(items_, std::move(items))) touch();
}

void Control::setValue(int v) {
  if (kind_ == ControlKind::OptionButton) {
    if (v != 0) {
      for (int i = 0; i < groupCount_; ++i)
        if (&group_[i] != this && group_[i].value_ != 0) {
          group_[i].value_ = 0;
          group_[i].touch();
        }
    }
    if (assign(value_, v)) touch();
    if (v != 0) raiseClick();
    return;
  }
  if (!assign(value_, v)) return;
  touch();
  if (kind_ == ControlKind::CheckBox) raiseClick();
}

void Control::setListIndex(int i) {
  if (assign(listIndex_, i)) touch();
  raiseClick();
}

void Control::takeUserText(std::string text) {
  if (assign(text_, std::move(text))) touch();
}

void Control::setSelection(int start, int length) {
  // A move of the caret is shown like any other change.
  if (selStart_ == start && selLength_ == length) return;
  selStart_ = start;
  selLength_ = length;
  touch();
}

void Control::copyStateFrom(const Control& o) {
  text_ = o.text_;
  toolTip_ = o.toolTip_;
  description_ = o.description_;
  backColor_ = o.backColor_;
  foreColor_ = o.foreColor_;
  fillColor_ = o.fillColor_;
  value_ = o.value_;
  visible_ = o.visible_;
  enabled_ = o.enabled_;
  left_ = o.left_;
  top_ = o.top_;
  width_ = o.width_;
  height_ = o.height_;
  items_ = o.items_;
  listIndex_ = o.listIndex_;
  selStart_ = o.selStart_;
  selLength_ = o.selLength_;
  interval_ = o.interval_;
  revision_ = o.revision_;
}

namespace {

// The selection clamped to the text: a handler may have rewritten the text
// under a caret that stood further right.
struct Span {
  std::size_t start;
  std::size_t length;
};

Span clampedSelection(int start, int length, std::size_t size) {
  const std::size_t s = start < 0 ? 0 : std::min<std::size_t>(static_cast<std::size_t>(start), size);
  const std::size_t l = length < 0 ? 0 : std::min<std::size_t>(static_cast<std::size_t>(length), size - s);
  return {s, l};
}

constexpr int kBackspace = 8;

}  // namespace

void Control::typeKey(int keyCode) {
  const int key = raiseKeyPress(keyCode);
  const bool printable = key >= 32 && key < 127;
  if (key != kBackspace && !printable) return;
  std::string text = text_;
  const Span sel = clampedSelection(selStart_, selLength_, text.size());
  std::size_t caret = sel.start;
  if (sel.length > 0) {
    text.erase(sel.start, sel.length);
  } else if (key == kBackspace && caret > 0) {
    text.erase(--caret, 1);
  }
  if (printable) text.insert(caret++, 1, static_cast<char>(key));
  if (assign(text_, std::move(text))) touch();
  setSelStart(static_cast<int>(caret));
}

void Control::deleteForward() {
  std::string text = text_;
  const Span sel = clampedSelection(selStart_, selLength_, text.size());
  text.erase(sel.start, sel.length > 0 ? sel.length : 1);
  if (assign(text_, std::move(text))) touch();
  setSelStart(static_cast<int>(sel.start));
}

void Control::raiseClick() {
  if (click_) click_(index_);
}

int Control::raiseKeyPress(int keyAscii) { return keyPress_ ? keyPress_(index_, keyAscii) : keyAscii; }

void Control::raiseGotFocus() {
  if (gotFocus_) gotFocus_(index_);
}

void Control::raiseLostFocus() {
  if (lostFocus_) lostFocus_(index_);
}

}  // namespace kestrav::context
