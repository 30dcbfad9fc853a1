#pragma once
// Where every control of the window sits, in pixels: the fixed design of the
// window, and the mapping of the positions and sizes that the routines
// change at run time (in the model's layout units) onto that design.
//
// The window is 1272 x 730 pixels below its menu bar:
//   left    board selection, command buttons with their broadcast boxes and
//           the run lamp, the "PEC Match Only" option, the logo;
//   middle  the selected board's twelve cells, temperatures, flags and PEC;
//   right   the stack overview and its legend, the voltage limits and the
//           identity of bridge and program;
//   bottom  the configuration registers.

#include <QRect>
#include <QSize>
#include <string>
#include <vector>

#include "context/Control.h"
#include "gui/SlotLabel.h"

namespace kestrav::gui::layout {

// Plain panels that group controls without a frame of their own.
enum class Panel { Central, Boards, Commands, Status, Overview, Identity };

struct Placement {
  // The frame control the widget sits in ("Frame1_3", "Frame4"); empty when
  // it sits on a panel.
  std::string frame;
  Panel panel = Panel::Central;
  QRect rect;
};

QSize centralSize();
QRect panelRect(Panel panel);
std::vector<Panel> panels();

// The design place of a control. Controls whose place the routines change
// (Image1, Label9(1), Check5, Shape2) get their design place here and the
// run-time adjustments below.
Placement place(const context::Control& c);

// Stack overview: the pixel left of column k (0..9) inside the overview panel.
int overviewColumnLeft(int column);
// Image1 at model left 504 + 24 * k stands over column k.
QRect markerRect(int modelLeft);
// Label9(1) at model left 536 + 24 * k stands right of column k.
QRect rowLegendRect(int modelLeft);
// Check5 at model width 57 (clear) or 113 (checked).
QRect broadcastBoxRect(int index, int modelWidth);
// Shape2 with top and height in cell-frame units (bottom edge 855, the
// tallest bar reaching up to 360) inside the body of the cell symbol.
QRect statusBarRect(int modelTop, int modelHeight);

// Slots of the captions laid out token by token (see SlotLabel): Label2,
// Label4, Label5, Label8(0), Label9, Label12, Label15 and Text3. Empty for
// any other control.
std::vector<SlotLabel::Slot> placesFor(const context::Control& c);

}  // namespace kestrav::gui::layout
