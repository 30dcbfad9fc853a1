#include "gui/Look.h"

#include <QApplication>
#include <QStringList>
#include <QStyleFactory>

#include "context/Control.h"

namespace kestrav::gui {

void applyLook(QApplication& app) {
  QFont::insertSubstitutions("Arial", {"Liberation Sans", "Arimo", "DejaVu Sans"});
  QFont::insertSubstitutions("MS Sans Serif", {"Liberation Sans", "DejaVu Sans"});
  if (QStyle* fusion = QStyleFactory::create("Fusion")) app.setStyle(fusion);
  app.setFont(textFont());
}

QFont textFont(int pixelSize, bool bold) {
  QFont f;
  f.setFamilies({"Arial", "Liberation Sans"});
  f.setStyleHint(QFont::SansSerif);
  f.setPixelSize(pixelSize);
  f.setBold(bold);
  return f;
}

QFont frameFont() {
  QFont f;
  f.setFamilies({"MS Sans Serif", "Liberation Sans", "DejaVu Sans"});
  f.setStyleHint(QFont::SansSerif);
  f.setPixelSize(11);
  f.setBold(false);
  return f;
}

bool isSystemColour(std::uint32_t bgr) { return bgr == context::kWindowBackground; }

QColor toColour(std::uint32_t bgr, const QPalette& palette) {
  if (isSystemColour(bgr)) return palette.color(QPalette::Base);
  return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF), static_cast<int>((bgr >> 16) & 0xFF));
}

QColor textColour(std::uint32_t bgr, const QPalette& palette) {
  constexpr std::uint32_t kPendingGrey = 0xC0C0C0;
  if (bgr == kPendingGrey) return QColor(0x6E, 0x6E, 0x6E);
  return toColour(bgr, palette);
}

}  // namespace kestrav::gui
