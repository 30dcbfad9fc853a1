#pragma once
// Fonts, style and colours of the window: text in Arial (Liberation Sans,
// which has Arial's metrics, where Arial is missing), frame captions in a
// sans-serif font, fixed pixel sizes so the fixed layout holds on any
// screen, and the mapping of the model's 0xBBGGRR colours.

#include <QColor>
#include <QFont>
#include <QPalette>
#include <cstdint>

class QApplication;

namespace kestrav::gui {

// Style and default font of the application; call once after QApplication.
void applyLook(QApplication& app);

QFont textFont(int pixelSize = 11, bool bold = false);
QFont frameFont();

// A model colour; the system's window colour (0x80000005) becomes the
// palette's colour for the background of a text field (white on most
// desktops), which is what that system colour stands for.
QColor toColour(std::uint32_t bgr, const QPalette& palette);

// The colour of a control's text. The light grey that marks a value
// prepared but not yet written is drawn a shade darker: on a white field the
// exact grey is too faint to read, and darker it still stands apart from
// the black of written values.
QColor textColour(std::uint32_t bgr, const QPalette& palette);
bool isSystemColour(std::uint32_t bgr);

}  // namespace kestrav::gui
