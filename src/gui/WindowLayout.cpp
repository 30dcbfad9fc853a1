#include "gui/WindowLayout.h"

#include <algorithm>

#include "context/MainWindowModel.h"

namespace kestrav::gui::layout {

namespace {

using context::Control;

// Stack overview, inside its panel.
constexpr int kLegendLeft = 4, kLegendWidth = 54;
constexpr int kColumnsLeft = 62, kColumnPitch = 25, kSquareWidth = 22, kSquareHeight = 14;
constexpr int kPecRowTop = 56, kCellRowsTop = 76, kRowPitch = 18;
constexpr int kRowLegendWidth = 34;

// Command panel rows.
constexpr int kCommandRowTop = 8, kCommandRowPitch = 30;
constexpr int kBroadcastLeft = 132, kNarrowBoxWidth = 68, kWideBoxWidth = 124;

// Cell symbol inside its frame: the body and the room for the status bar.
constexpr QRect kCellBody(24, 32, 28, 56);
constexpr QRect kBarArea(27, 35, 22, 50);
constexpr int kBarBottomUnits = 855, kBarTallestTopUnits = 360;

// Configuration frame: the register boxes and the duty-cycle table.
constexpr int kRegisterBoxLeft = 250, kRegisterBoxPitch = 58, kRegisterBoxWidth = 54;
constexpr int kBitRowTop = 102, kBitRowPitch = 18;
constexpr int kDutyColumns[4][2] = {{0, 56}, {60, 194}, {258, 208}, {470, 234}};  // left, width in Label4

int commandRowTop(int row) { return kCommandRowTop + row * kCommandRowPitch; }
int cellRowTop(int cellIndex) { return kCellRowsTop + (11 - cellIndex) * kRowPitch; }

Placement onPanel(Panel p, QRect r) { return {std::string(), p, r}; }
Placement inFrame(const std::string& frame, QRect r) { return {frame, Panel::Central, r}; }
Placement central(QRect r) { return onPanel(Panel::Central, r); }

std::string frameOfCell(int i) { return "Frame1_" + std::to_string(i); }

Placement placeCell(const Control& c) {
  const int i = c.index();
  const std::string& n = c.name();
  const std::string f = frameOfCell(i);
  if (n == "Frame1") return central(QRect(280 + (i % 6) * 79, 4 + (i / 6) * 128, 76, 124));
  if (n == "Text1") return inFrame(f, QRect(4, 99, 68, 20));
  if (n == "Line7") return inFrame(f, QRect(36, 18, 4, 8));
  if (n == "Shape5") return inFrame(f, QRect(31, 26, 14, 6));
  if (n == "Shape4") return inFrame(f, kCellBody);
  if (n == "Shape2") return inFrame(f, statusBarRect(c.top(), c.height()));
  if (n == "Line9") return inFrame(f, QRect(36, 88, 4, 6));
  return inFrame(f, QRect(28, 93, 20, 4));  // Line10, the plate under the cell
}

Placement placeBoards(const Control& c) {
  const int i = c.index();
  const std::string& n = c.name();
  // The board buttons come last: the stack size hides those beyond it.
  if (n == "Label1") return onPanel(Panel::Boards, QRect(8, 4, 254, 24));
  if (n == "Label7") return onPanel(Panel::Boards, QRect(8, 34, 194, 22));
  if (n == "Combo1") return onPanel(Panel::Boards, QRect(206, 34, 56, 22));
  if (n == "Label14") return onPanel(Panel::Boards, QRect(8, 60, 164, 32));
  if (n == "Label16") return onPanel(Panel::Boards, QRect(174, 64, 28, 22));
  if (n == "Combo2") return onPanel(Panel::Boards, QRect(206, 64, 56, 22));
  return onPanel(Panel::Boards, QRect(8 + (i % 5) * 51, 100 + (i / 5) * 44, 50, 40));  // Command4
}

Placement placeCommands(const Control& c) {
  const int i = c.index();
  const std::string& n = c.name();
  if (n == "Command1") {
    if (i <= 9) return onPanel(Panel::Commands, QRect(8, commandRowTop(i), 118, 26));
    if (i <= 11) return onPanel(Panel::Commands, QRect(8, commandRowTop(10), 118, 54));
    return onPanel(Panel::Commands, QRect(162, commandRowTop(10) + (i - 12) * 29, 100, 25));
  }
  if (n == "Check5") return onPanel(Panel::Commands, broadcastBoxRect(i, c.width()));
  if (n == "Label19") return onPanel(Panel::Commands, QRect(kBroadcastLeft + kNarrowBoxWidth + 2, commandRowTop(i), 60, 26));
  if (n == "Label18") return onPanel(Panel::Commands, QRect(kBroadcastLeft, commandRowTop(6 + i), 130, 26));
  return onPanel(Panel::Commands, QRect(134, commandRowTop(10) + 17, 20, 20));  // Shape3, the run lamp
}

Placement placeOverview(const Control& c) {
  const int i = c.index();
  const std::string& n = c.name();
  if (n == "Shape1")
    return onPanel(Panel::Overview,
                   QRect(overviewColumnLeft(i / 12), cellRowTop(i % 12), kSquareWidth, kSquareHeight));
  if (n == "Shape12") return onPanel(Panel::Overview, QRect(overviewColumnLeft(i) + 4, kPecRowTop, 14, 14));
  if (n == "Label12") return onPanel(Panel::Overview, QRect(kLegendLeft, 18, 312, 16));
  if (n == "Label15") return onPanel(Panel::Overview, QRect(kLegendLeft, 36, 312, 16));
  if (n == "Label9" && i == 0)
    return onPanel(Panel::Overview, QRect(kLegendLeft, kCellRowsTop - 2, kLegendWidth, 12 * kRowPitch));
  if (n == "Label9") return onPanel(Panel::Overview, rowLegendRect(c.left()));
  return onPanel(Panel::Overview, markerRect(c.left()));  // Image1
}

Placement placeLegend(const Control& c) {
  const int y = 20 + c.index() * 39;
  const std::string& n = c.name();
  if (n == "Frame8") return central(QRect(1114, 4, 154, 298));
  if (n == "Shape10") return inFrame("Frame8", QRect(6, y + 9, 26, 14));
  if (n == "Shape11") return inFrame("Frame8", QRect(32, y + 12, 4, 8));
  if (n == "Shape9") return inFrame("Frame8", QRect(9, y + 12, 20, 8));
  if (n == "Label10") return inFrame("Frame8", QRect(42, y, 108, 16));
  return inFrame("Frame8", QRect(42, y + 16, 108, 16));  // Label11
}

Placement placeReadings(const Control& c) {
  const int i = c.index();
  const std::string& n = c.name();
  const int x = 5 + i * 61;  // temperature columns
  if (n == "Frame5") return central(QRect(280, 262, 192, 134));
  if (n == "Label6") return inFrame("Frame5", QRect(x, 18, 60, 16));
  if (n == "Shape8") return inFrame("Frame5", QRect(x + 25, 36, 10, 50));
  if (n == "Shape6") return inFrame("Frame5", QRect(x + 28, 48, 4, 34));
  if (n == "Shape7") return inFrame("Frame5", QRect(x + 21, 78, 18, 18));
  if (n == "Text6") return inFrame("Frame5", QRect(x, 104, 60, 20));
  if (n == "Frame6") return central(QRect(478, 262, 128, 134));
  if (n == "Label2") return inFrame("Frame6", QRect(8, 26 + i * 34, 52, 22));
  if (n == "Text7") return inFrame("Frame6", QRect(62, 26 + i * 34, 58, 22));
  if (n == "Frame7") return central(QRect(612, 262, 139, 134));
  if (n == "Label8" && i == 0) return inFrame("Frame7", QRect(10, 24, 119, 16));
  if (n == "Text8") return inFrame("Frame7", QRect(10, 42, 119, 22));
  return inFrame("Frame7", QRect(10, 72, 119, 20));  // Label8(1)
}

Placement placeConfiguration(const Control& c) {
  const int i = c.index();
  const std::string& n = c.name();
  const int bitRow = kBitRowTop + i * kBitRowPitch;
  if (n == "Frame4") return central(QRect(280, 402, 720, 324));
  if (n == "Label5") return inFrame("Frame4", QRect(8, i == 1 ? 18 : 58, 586, 16));
  if (n == "Text4" || n == "Text5")
    return inFrame("Frame4", QRect(kRegisterBoxLeft + i * kRegisterBoxPitch, n == "Text4" ? 34 : 74, kRegisterBoxWidth, 20));
  if (n == "Frame3") return inFrame("Frame4", QRect(600, 12, 112, 82));
  if (n == "Check4") return inFrame("Frame3", QRect(8, 22 + i * 26, 100, 20));
  if (n == "Check0") return inFrame("Frame4", QRect(8, bitRow, 432, kBitRowPitch));
  if (n == "Check1") return inFrame("Frame4", QRect(442, bitRow, 80, kBitRowPitch));
  if (n == "Check2") return inFrame("Frame4", QRect(524, bitRow, 86, kBitRowPitch));
  if (n == "Check3") return inFrame("Frame4", QRect(612, bitRow, 100, kBitRowPitch));
  if (n == "Label4") return inFrame("Frame4", QRect(8, 252, 704, 28));
  if (n == "Text3") return inFrame("Frame4", QRect(68, 282, 644, 36));
  return inFrame("Frame4", QRect(22, i == 1 ? 282 : 301, 30, 17));  // Command0: up above down
}

Placement placeLimits(const Control& c) {
  const int i = c.index();
  const std::string& n = c.name();
  if (n == "Frame2") return central(QRect(1006, 308, 262, 192));
  if (n == "Label3") return inFrame("Frame2", QRect(10, 22 + i * 54, 130, 44));
  if (n == "Text2") return inFrame("Frame2", QRect(144, 32 + i * 54, 62, 24));
  if (n == "Command2") return inFrame("Frame2", QRect(i % 2 == 0 ? 208 : 233, 32 + (i / 2) * 54, 24, 24));
  if (n == "Option1") return inFrame("Frame2", QRect(10, 134 + i * 26, 18, 20));
  return inFrame("Frame2", QRect(30, 134 + i * 26, 224, 20));  // Label13
}

bool startsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

std::vector<SlotLabel::Slot> row(std::initializer_list<SlotLabel::Slot> s) { return s; }

}  // namespace

QSize centralSize() { return {1272, 730}; }

QRect panelRect(Panel panel) {
  switch (panel) {
    case Panel::Boards: return {4, 4, 270, 190};
    case Panel::Commands: return {4, 200, 270, 374};
    case Panel::Status: return {4, 580, 270, 54};
    case Panel::Overview: return {757, 4, 351, 298};
    case Panel::Identity: return {4, 640, 270, 86};
    case Panel::Central: break;
  }
  return QRect(QPoint(0, 0), centralSize());
}

std::vector<Panel> panels() { return {Panel::Boards, Panel::Commands, Panel::Status, Panel::Overview, Panel::Identity}; }

Placement place(const Control& c) {
  const std::string& n = c.name();
  if (n == "Frame1" || n == "Text1" || n == "Shape2" || n == "Shape4" || n == "Shape5" || startsWith(n, "Line"))
    return placeCell(c);
  if (n == "Label1" || n == "Command4" || n == "Label7" || n == "Combo1" || n == "Label14" || n == "Label16" ||
      n == "Combo2")
    return placeBoards(c);
  if (n == "Command1" || n == "Check5" || n == "Label19" || n == "Label18" || n == "Shape3") return placeCommands(c);
  if (n == "Shape1" || n == "Shape12" || n == "Label12" || n == "Label15" || n == "Label9" || n == "Image1")
    return placeOverview(c);
  if (n == "Frame8" || n == "Shape9" || n == "Shape10" || n == "Shape11" || n == "Label10" || n == "Label11")
    return placeLegend(c);
  if (n == "Frame5" || n == "Label6" || n == "Shape6" || n == "Shape7" || n == "Shape8" || n == "Text6" ||
      n == "Frame6" || n == "Label2" || n == "Text7" || n == "Frame7" || n == "Label8" || n == "Text8")
    return placeReadings(c);
  if (n == "Frame4" || n == "Label5" || n == "Text4" || n == "Text5" || n == "Frame3" || n == "Check4" ||
      n == "Check0" || n == "Check1" || n == "Check2" || n == "Check3" || n == "Label4" || n == "Text3" ||
      n == "Command0")
    return placeConfiguration(c);
  if (n == "Frame2" || n == "Label3" || n == "Text2" || n == "Command2" || n == "Option1" || n == "Label13")
    return placeLimits(c);
  if (n == "Check_AUTO") return onPanel(Panel::Status, QRect(8, 6, 254, 20));
  if (n == "Label_AUTOstatus") return onPanel(Panel::Status, QRect(8, 28, 254, 20));
  if (n == "Label_IDstring") return onPanel(Panel::Identity, QRect(8, 10, 254, 32));
  if (n == "Label_version") return onPanel(Panel::Identity, QRect(8, 52, 254, 22));
  if (n == "Picture1") return central(QRect(1006, 506, 262, 220));
  return central(QRect());
}

int overviewColumnLeft(int column) { return kColumnsLeft + std::clamp(column, 0, 9) * kColumnPitch; }

QRect markerRect(int modelLeft) {
  const int k = (modelLeft - context::kOverviewLeft) / context::kOverviewColumn;
  return {overviewColumnLeft(k) + 5, 4, 12, 10};
}

QRect rowLegendRect(int modelLeft) {
  const int k = (modelLeft - context::kOverviewLegendLeft) / context::kOverviewColumn;
  return {overviewColumnLeft(k) + kSquareWidth + 6, kPecRowTop - 2, kRowLegendWidth,
          kCellRowsTop - kPecRowTop + 12 * kRowPitch};
}

QRect broadcastBoxRect(int index, int modelWidth) {
  const int w = modelWidth >= context::kBroadcastWideWidth ? kWideBoxWidth
                : modelWidth <= context::kBroadcastNarrowWidth
                    ? kNarrowBoxWidth
                    : kNarrowBoxWidth + (modelWidth - context::kBroadcastNarrowWidth) * (kWideBoxWidth - kNarrowBoxWidth) /
                                            (context::kBroadcastWideWidth - context::kBroadcastNarrowWidth);
  return {kBroadcastLeft, commandRowTop(index) + 3, w, 20};
}

QRect statusBarRect(int modelTop, int modelHeight) {
  const int span = kBarBottomUnits - kBarTallestTopUnits;
  const int top = std::clamp(modelTop, kBarTallestTopUnits, kBarBottomUnits);
  const int bottom = std::clamp(modelTop + modelHeight, top, kBarBottomUnits);
  const int y0 = kBarArea.top() + (top - kBarTallestTopUnits) * kBarArea.height() / span;
  const int y1 = kBarArea.top() + (bottom - kBarTallestTopUnits) * kBarArea.height() / span;
  return {kBarArea.left(), y0, kBarArea.width(), std::max(y1 - y0, 1)};
}

std::vector<SlotLabel::Slot> placesFor(const context::Control& c) {
  const std::string& n = c.name();
  const Qt::Alignment left = Qt::AlignLeft | Qt::AlignVCenter;
  std::vector<SlotLabel::Slot> out;
  if (n == "Label12" || n == "Label15") {
    out.push_back({QRect(0, 0, kLegendWidth, 16), left, true});
    for (int k = 0; k < 10; ++k)
      out.push_back({QRect(overviewColumnLeft(k) - kLegendLeft - 2, 0, kSquareWidth + 4, 16), Qt::AlignCenter, false});
  } else if (n == "Label9" && c.index() == 0) {
    for (int r = 0; r < 12; ++r) out.push_back({QRect(0, r * kRowPitch, kLegendWidth, kRowPitch), left, false});
  } else if (n == "Label9") {
    for (int r = 0; r < 13; ++r)
      out.push_back({QRect(0, r == 0 ? 0 : kCellRowsTop - kPecRowTop + (r - 1) * kRowPitch, kRowLegendWidth, kRowPitch),
                     left, r == 0});
  } else if (n == "Label5") {
    out.push_back({QRect(0, 0, kRegisterBoxLeft - 14, 16), left, false});
    for (int k = 0; k < 6; ++k)
      out.push_back({QRect(kRegisterBoxLeft - 8 + k * kRegisterBoxPitch, 0, kRegisterBoxWidth, 16), Qt::AlignCenter, false});
  } else if (n == "Label4") {
    for (const auto& col : kDutyColumns) out.push_back({QRect(col[0], 0, col[1], 28), Qt::AlignCenter, true});
  } else if (n == "Text3") {
    const int shift = kDutyColumns[1][0];
    for (int r = 0; r < 2; ++r)
      for (int k = 1; k < 4; ++k)
        out.push_back({QRect(kDutyColumns[k][0] - shift, 2 + r * 16, kDutyColumns[k][1], 16), Qt::AlignCenter, false});
  } else if (n == "Label8" && c.index() == 0) {
    out = row({{QRect(0, 0, 58, 16), Qt::AlignCenter, true}, {QRect(61, 0, 58, 16), Qt::AlignCenter, true}});
  } else if (n == "Label2") {
    out = row({{QRect(0, 0, 52, 22), left, true}});
  }
  return out;
}

}  // namespace kestrav::gui::layout
