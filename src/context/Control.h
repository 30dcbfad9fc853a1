#pragma once
// One control of the main window as plain data: what the view shows and
// what the routines change. Every change goes through a setter, which bumps
// the control's revision so the view repaints only what changed.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kestrav::context {

// Colours are 0xBBGGRR. This value stands for the system's window colour.
constexpr std::uint32_t kWindowBackground = 0x80000005u;
constexpr std::uint32_t kBlack = 0x000000u;
constexpr std::uint32_t kWhite = 0xFFFFFFu;
constexpr std::uint32_t kRed = 0x0000FFu;
constexpr std::uint32_t kGreen = 0x00FF00u;
constexpr std::uint32_t kGrey = 0xC0C0C0u;  // text of a value prepared but not yet written

enum class ControlKind {
  Form,
  Menu,
  MenuItem,
  CommandButton,
  PictureButton,  // a command button that shows an arrow instead of a caption
  CheckBox,
  OptionButton,
  TextBox,
  Label,
  ComboBox,
  Frame,
  Shape,
  Line,
  Image,
  PictureBox,
  Timer,
  CommonDialog,
};

class Control {
 public:
  using IndexHandler = std::function<void(int index)>;
  using KeyHandler = std::function<int(int index, int keyAscii)>;

  Control() = default;
  Control(ControlKind kind, std::string name, int index = -1);

  // Identity.
  ControlKind kind() const { return kind_; }
  const std::string& name() const { return name_; }
  int index() const { return index_; }                 // -1 for a control outside an array
  std::string objectName() const;                      // "Command1_7", "Timer1"
  std::string inventoryName() const;                   // "Command1(7)", "Timer1"

  // Caption of a button, label, frame or check box; text of a text box.
  const std::string& text() const { return text_; }
  void setText(std::string text);
  void setCaption(std::string caption) { setText(std::move(caption)); }
  const std::string& caption() const { return text_; }

  // A short description for screen readers where the control has no
  // caption of its own ("CELL4 voltage"); fixed when the window is built.
  const std::string& description() const { return description_; }
  void setDescription(std::string d) { description_ = std::move(d); }

  const std::string& toolTip() const { return toolTip_; }
  void setToolTip(std::string tip);

  std::uint32_t backColor() const { return backColor_; }
  void setBackColor(std::uint32_t c);
  std::uint32_t foreColor() const { return foreColor_; }
  void setForeColor(std::uint32_t c);
  std::uint32_t fillColor() const { return fillColor_; }
  void setFillColor(std::uint32_t c);

  // Check box: 0/1; setting it from code raises Click only when it changes.
  // Option button: setting 1 clears the other buttons of its group and
  // raises Click on every such assignment.
  int value() const { return value_; }
  void setValue(int v);

  bool visible() const { return visible_; }
  void setVisible(bool v);
  bool enabled() const { return enabled_; }
  void setEnabled(bool e);

  // Position and size in the layout units the routines use; 0 where a rule
  // never places the control (the view then keeps its own geometry).
  int left() const { return left_; }
  void setLeft(int v);
  int top() const { return top_; }
  void setTop(int v);
  int width() const { return width_; }
  void setWidth(int v);
  int height() const { return height_; }
  void setHeight(int v);

  // List of a combo box (or menu items); assigning the index raises Click.
  const std::vector<std::string>& items() const { return items_; }
  void setItems(std::vector<std::string> items);
  int listIndex() const { return listIndex_; }
  void setListIndex(int i);

  // Caret of a text box: where the selection starts (the caret itself when
  // nothing is selected) and how many characters it spans. The key filter
  // looks at the start.
  int selStart() const { return selStart_; }
  void setSelStart(int pos) { setSelection(pos, 0); }
  int selLength() const { return selLength_; }
  void setSelection(int start, int length);

  // Timer interval in milliseconds (Timer1 only).
  int interval() const { return interval_; }
  void setInterval(int ms);

  std::uint64_t revision() const { return revision_; }

  // Takes over everything another control shows (texts, colours, value,
  // state, geometry, list, caret, revision), but neither its identity nor
  // its handlers: how a copy of the window is kept for another thread.
  void copyStateFrom(const Control& other);

  // Events, raised by the view for a user's action and by code.
  void raiseClick();
  int raiseKeyPress(int keyAscii);  // returns the key to accept, 0 swallows it
  void raiseGotFocus();
  void raiseLostFocus();

  // What the user did in the widget, taken into the model without events
  // (the typed text of a text box).
  void takeUserText(std::string text);

  // A character typed into a text box, as the desktop's text box handles
  // it: KeyPress judges the key first, then the key it returns is applied
  // at the caret: Backspace deletes the selection or the character before
  // the caret, a printable ASCII character replaces the selection, every
  // other key (0, Enter, anything else) leaves the text alone. The box never
  // takes a character its handler did not return.
  void typeKey(int keyCode);
  // The Delete key: deletes the selection or the character after the caret.
  // It raises no KeyPress (a text box gives none for it) and never inserts.
  void deleteForward();

  // Wiring (done once, by the window's event routing).
  void onClick(IndexHandler h) { click_ = std::move(h); }
  void onKeyPress(KeyHandler h) { keyPress_ = std::move(h); }
  void onGotFocus(IndexHandler h) { gotFocus_ = std::move(h); }
  void onLostFocus(IndexHandler h) { lostFocus_ = std::move(h); }
  bool hasClickHandler() const { return static_cast<bool>(click_); }
  bool hasKeyHandler() const { return static_cast<bool>(keyPress_); }
  bool hasFocusHandlers() const { return gotFocus_ && lostFocus_; }

  // Option buttons: the array they are exclusive within.
  void setOptionGroup(Control* first, int count) {
    group_ = first;
    groupCount_ = count;
  }

 private:
  void touch() { ++revision_; }

  ControlKind kind_ = ControlKind::Label;
  std::string name_;
  int index_ = -1;
  std::string text_;
  std::string toolTip_;
  std::string description_;
  std::uint32_t backColor_ = kWindowBackground;
  std::uint32_t foreColor_ = kBlack;
  std::uint32_t fillColor_ = kWindowBackground;
  int value_ = 0;
  bool visible_ = true;
  bool enabled_ = true;
  int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  std::vector<std::string> items_;
  int listIndex_ = -1;
  int selStart_ = 0;
  int selLength_ = 0;
  int interval_ = 0;
  std::uint64_t revision_ = 1;
  Control* group_ = nullptr;
  int groupCount_ = 0;

  IndexHandler click_;
  KeyHandler keyPress_;
  IndexHandler gotFocus_;
  IndexHandler lostFocus_;
};

}  // namespace kestrav::context
