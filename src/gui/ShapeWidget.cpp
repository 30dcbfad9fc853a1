#include "gui/ShapeWidget.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <algorithm>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include "gui/Look.h"

namespace kestrav::gui {

namespace {
const QColor kOutline(64, 64, 64);
}  // namespace

ShapeWidget::ShapeWidget(Form form, QWidget* parent) : QWidget(parent), form_(form) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setFocusPolicy(Qt::NoFocus);
}

void ShapeWidget::setFill(const QColor& c) {
  if (c == fill_) return;
  fill_ = c;
  update();
}

void ShapeWidget::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing, form_ != Form::Box && form_ != Form::Bar);
  const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
  switch (form_) {
    case Form::Box:
      p.setPen(kOutline);
      p.setBrush(fill_);
      p.drawRect(r);
      break;
    case Form::Bar:
      p.setPen(fill_.darker(150));
      p.setBrush(fill_);
      p.drawRect(r);
      break;
    case Form::Ellipse:
      p.setPen(kOutline);
      p.setBrush(fill_);
      p.drawEllipse(r.adjusted(0.5, 0.5, -0.5, -0.5));
      break;
    case Form::Lamp: {
      const QRectF e = r.adjusted(1, 1, -1, -1);
      QRadialGradient g(e.center() - QPointF(e.width() / 5, e.height() / 5), e.width() * 0.7);
      g.setColorAt(0, fill_.lighter(170));
      g.setColorAt(0.5, fill_);
      g.setColorAt(1, fill_.darker(140));
      p.setPen(QPen(kOutline, 1));
      p.setBrush(g);
      p.drawEllipse(e);
      break;
    }
    case Form::Tube: {
      const qreal radius = r.width() / 2;
      p.setPen(kOutline);
      p.setBrush(fill_);
      p.drawRoundedRect(r, radius, radius);
      break;
    }
    case Form::Marker: {
      QPainterPath path;
      path.moveTo(r.left(), r.top());
      path.lineTo(r.right(), r.top());
      path.lineTo(r.center().x(), r.bottom());
      path.closeSubpath();
      p.setPen(Qt::NoPen);
      p.setBrush(fill_);
      p.drawPath(path);
      break;
    }
    case Form::HLine:
      p.setRenderHint(QPainter::Antialiasing, false);
      p.fillRect(QRect(0, height() / 2 - 1, width(), 2), fill_);
      break;
    case Form::VLine:
      p.setRenderHint(QPainter::Antialiasing, false);
      p.fillRect(QRect(width() / 2 - 1, 0, 2, height()), fill_);
      break;
  }
}

LogoWidget::LogoWidget(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setFocusPolicy(Qt::NoFocus);
}

void LogoWidget::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF area = QRectF(rect()).adjusted(1, 1, -1, -1);
  QLinearGradient sky(area.topLeft(), area.bottomLeft());
  sky.setColorAt(0, QColor(34, 60, 96));
  sky.setColorAt(1, QColor(18, 32, 56));
  p.setPen(Qt::NoPen);
  p.setBrush(sky);
  p.drawRoundedRect(area, 6, 6);

  // The chip's name along the bottom, as large as the width allows.
  QFont name = textFont(40, true);
  const QString text = QStringLiteral("KESTRAV-2");
  while (name.pixelSize() > 10 && QFontMetricsF(name).horizontalAdvance(text) > area.width() - 24)
    name.setPixelSize(name.pixelSize() - 1);
  const qreal textHeight = QFontMetricsF(name).height();
  const QRectF textArea(area.left(), area.bottom() - textHeight - 10, area.width(), textHeight);

  // A stack of cells above it, the last one half charged.
  constexpr int kCells = 4;
  const qreal room = textArea.top() - area.top() - 24;
  const qreal cellH = room, cellW = std::min(room * 0.45, (area.width() - 40) / kCells - 10);
  const qreal stackW = kCells * cellW + (kCells - 1) * 10;
  for (int i = 0; i < kCells; ++i) {
    const QRectF body(area.center().x() - stackW / 2 + i * (cellW + 10), area.top() + 18, cellW, cellH);
    p.setBrush(QColor(210, 214, 220));
    p.setPen(QPen(QColor(230, 232, 236), 1));
    p.drawRect(QRectF(body.center().x() - cellW / 6, body.top() - 6, cellW / 3, 6));
    p.drawRect(body);
    const qreal level = i == kCells - 1 ? 0.45 : 0.85;
    p.setPen(Qt::NoPen);
    p.setBrush(i == kCells - 1 ? QColor(250, 204, 40) : QColor(60, 200, 90));
    p.drawRect(QRectF(body.left() + 3, body.bottom() - 3 - (cellH - 6) * level, cellW - 6, (cellH - 6) * level));
  }

  p.setPen(Qt::white);
  p.setFont(name);
  p.drawText(textArea, Qt::AlignCenter, text);
}

}  // namespace kestrav::gui
