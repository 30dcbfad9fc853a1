#pragma once
// One widget per control: which widget a control gets, and how a control's
// state is painted into its widget. The window owns the widgets; this unit
// only knows how to make and refresh one.

#include <QObject>
#include <QWidget>
#include <cstdint>

#include "context/Control.h"

namespace kestrav::gui {

enum class ViewKind {
  None,        // nothing of its own (the file dialog opens on demand)
  Window,      // the main window itself
  Menu,        // a menu of the menu bar
  Action,      // a menu item
  Timer,       // Timer1
  PushButton,  // a command button
  ArrowButton, // a picture button showing an arrow
  CheckBox,
  Radio,
  LineEdit,    // a text box
  SlotText,    // a text box laid out as a table (Text3)
  Label,
  SlotLabel,   // a caption laid out token by token
  Combo,
  Group,       // a frame
  Shape,       // a shape, line or the board marker
  Logo,        // the decorative picture
};

struct ControlView {
  context::Control* control = nullptr;
  QObject* object = nullptr;
  ViewKind kind = ViewKind::None;
  std::uint64_t rendered = 0;  // the control's revision last painted; 0 = never

  QWidget* widget() const;
};

// Makes the widget of a control that is shown inside the window (not the
// window, its menus or its timer). Geometry comes later, from the layout.
ControlView createControlWidget(context::Control& c, QWidget* parent);

// The name screen readers announce: the caption, or for text boxes,
// shapes, lists and picture buttons the control's short description.
std::string accessibleNameOf(const context::Control& c);

// Paints the control's current state into its view.
void renderControl(const ControlView& view);

}  // namespace kestrav::gui
