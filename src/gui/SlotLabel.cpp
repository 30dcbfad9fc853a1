#include "gui/SlotLabel.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>

namespace kestrav::gui {

SlotLabel::SlotLabel(Tokenizer tokenizer, QWidget* parent) : QWidget(parent), tokenizer_(tokenizer) {
  setFocusPolicy(Qt::NoFocus);
}

void SlotLabel::setPlaces(std::vector<Slot> places) {
  places_ = std::move(places);
  update();
}

void SlotLabel::setText(const std::string& text) {
  std::vector<std::string> tokens = tokenizer_(text);
  if (tokens == tokens_) return;
  tokens_ = std::move(tokens);
  update();
}

void SlotLabel::setTextColour(const QColor& c) {
  if (c == textColour_) return;
  textColour_ = c;
  update();
}

void SlotLabel::setField(bool field, const QColor& background) {
  if (field == field_ && background == fieldColour_) return;
  field_ = field;
  fieldColour_ = background;
  update();
}

void SlotLabel::paintEvent(QPaintEvent*) {
  QPainter p(this);
  if (field_) {
    QStyleOptionFrame frame;
    frame.initFrom(this);
    frame.rect = rect();
    frame.lineWidth = 1;
    frame.state |= QStyle::State_Sunken;
    p.fillRect(rect().adjusted(1, 1, -1, -1), fieldColour_);
    style()->drawPrimitive(QStyle::PE_Frame, &frame, &p, this);
  }
  p.setPen(isEnabled() ? textColour_ : palette().color(QPalette::Disabled, QPalette::WindowText));
  const QFont plain = font();
  QFont bold = plain;
  bold.setBold(true);
  const std::size_t n = std::min(tokens_.size(), places_.size());
  for (std::size_t i = 0; i < n; ++i) {
    p.setFont(places_[i].bold ? bold : plain);
    p.drawText(places_[i].rect, static_cast<int>(places_[i].align) | Qt::TextWordWrap,
               QString::fromStdString(tokens_[i]));
  }
}

}  // namespace kestrav::gui
