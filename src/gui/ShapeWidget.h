#pragma once
// The window's shapes, lines and pictures, painted: the parts of a cell
// symbol, the squares of the stack overview, the PEC marks, the run lamp,
// the thermometers, the legend samples, the board marker and the logo.

#include <QColor>
#include <QWidget>

namespace kestrav::gui {

class ShapeWidget : public QWidget {
 public:
  enum class Form {
    Box,     // a filled rectangle with a dark outline
    Bar,     // a filled rectangle, outlined in a darker shade of its fill
    Ellipse, // a filled circle or ellipse with a dark outline
    Lamp,    // a round indicator lamp with a highlight
    Tube,    // a rounded glass tube (thermometer stem)
    Marker,  // a downward triangle pointing at what lies below
    HLine,   // a horizontal stroke across the middle
    VLine,   // a vertical stroke down the middle
  };

  ShapeWidget(Form form, QWidget* parent);

  Form form() const { return form_; }
  QColor fill() const { return fill_; }
  void setFill(const QColor& c);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  Form form_;
  QColor fill_ = Qt::white;
};

// The decorative picture: a stack of cells and the chip's name.
class LogoWidget : public QWidget {
 public:
  explicit LogoWidget(QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace kestrav::gui
