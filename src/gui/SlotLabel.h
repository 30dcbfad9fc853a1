#pragma once
// A caption laid out in slots: each token of the text gets its own place, so
// column headings stand over their columns, row names beside their rows and
// the cells of a table text in their table cells. The full text stays the
// widget's accessible name; only the painting splits it.

#include <QColor>
#include <QRect>
#include <QWidget>
#include <string>
#include <string_view>
#include <vector>

namespace kestrav::gui {

class SlotLabel : public QWidget {
 public:
  using Tokenizer = std::vector<std::string> (*)(std::string_view);

  struct Slot {
    QRect rect;
    Qt::Alignment align = Qt::AlignCenter;
    bool bold = false;
  };

  SlotLabel(Tokenizer tokenizer, QWidget* parent);

  // Token i goes into slot i; tokens without a slot are not painted.
  void setPlaces(std::vector<Slot> places);
  const std::vector<Slot>& places() const { return places_; }

  void setText(const std::string& text);
  const std::vector<std::string>& tokens() const { return tokens_; }

  void setTextColour(const QColor& c);
  // Paint a sunken field behind the slots, like a read-only text box.
  void setField(bool field, const QColor& background);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  Tokenizer tokenizer_;
  std::vector<Slot> places_;
  std::vector<std::string> tokens_;
  QColor textColour_ = Qt::black;
  bool field_ = false;
  QColor fieldColour_ = Qt::white;
};

}  // namespace kestrav::gui
