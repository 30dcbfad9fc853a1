#include "gui/ControlWidgets.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QToolButton>
#include <algorithm>

#include "gui/LabelText.h"
#include "gui/RoutedLineEdit.h"
#include "gui/Look.h"
#include "gui/ShapeWidget.h"
#include "gui/SlotLabel.h"
#include "gui/WindowLayout.h"

namespace kestrav::gui {

namespace {

using context::Control;
using context::ControlKind;

QString qs(const std::string& s) { return QString::fromStdString(s); }

bool is(const Control& c, const char* name, int index = -2) {
  return c.name() == name && (index == -2 || c.index() == index);
}

SlotLabel::Tokenizer tokenizerFor(const Control& c) {
  if (is(c, "Label9")) return &rowLegendTokens;
  if (is(c, "Label12") || is(c, "Label15")) return &wordTokens;
  if (is(c, "Text3")) return &pipeTableCells;
  if (is(c, "Label2") || is(c, "Label4") || is(c, "Label5") || is(c, "Label8", 0)) return &pipeTokens;
  return nullptr;
}

ShapeWidget::Form shapeForm(const Control& c) {
  using F = ShapeWidget::Form;
  if (c.kind() == ControlKind::Image) return F::Marker;
  if (c.kind() == ControlKind::Line) return is(c, "Line10") ? F::HLine : F::VLine;
  if (is(c, "Shape3")) return F::Lamp;
  if (is(c, "Shape7") || is(c, "Shape12")) return F::Ellipse;
  if (is(c, "Shape8")) return F::Tube;
  if (is(c, "Shape2") || is(c, "Shape6") || is(c, "Shape9")) return F::Bar;
  return F::Box;
}

QFont fontFor(const Control& c) {
  if (c.kind() == ControlKind::Frame) return frameFont();
  if (is(c, "Label1")) return textFont(15, true);
  if (is(c, "Label_IDstring")) return textFont(16, true);
  if (is(c, "Label9") || is(c, "Label12") || is(c, "Label15")) return textFont(10);
  const bool bold = is(c, "Label6") || is(c, "Label8", 1) || is(c, "Label10") || is(c, "Label_AUTOstatus") ||
                    is(c, "Text8");
  return textFont(11, bold);
}

QWidget* makeLabel(const Control& c, QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setTextFormat(Qt::PlainText);
  label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  if (is(c, "Label1") || is(c, "Label6") || is(c, "Label8", 1) || is(c, "Label_version")) {
    label->setAlignment(Qt::AlignCenter);
  } else if (is(c, "Label16")) {
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  } else if (is(c, "Label14") || is(c, "Label3")) {
    label->setWordWrap(true);
  } else if (is(c, "Label_IDstring")) {
    label->setAlignment(Qt::AlignCenter);
    label->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  }
  return label;
}

QWidget* makeLineEdit(const Control& c, QWidget* parent) {
  // The threshold boxes take typing, but only through their key handler.
  const bool editable = is(c, "Text2");
  QLineEdit* edit = editable ? new RoutedLineEdit(parent) : new QLineEdit(parent);
  edit->setReadOnly(!editable);
  edit->setFocusPolicy(editable ? Qt::StrongFocus : Qt::ClickFocus);
  edit->setAlignment(editable ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignCenter);
  return edit;
}

QWidget* makeArrowButton(const Control& c, QWidget* parent) {
  auto* button = new QToolButton(parent);
  // Even indices step down, odd ones up (Command0: CDC; Command2: VUV, VOV).
  button->setArrowType(c.index() % 2 == 0 ? Qt::DownArrow : Qt::UpArrow);
  button->setAutoRaise(false);
  // A tool button takes no focus on a click by default; this one must, so a
  // threshold box being typed into loses the focus, and applies its value,
  // before the arrow steps it.
  button->setFocusPolicy(Qt::StrongFocus);
  return button;
}

template <typename W>
W* as(QObject* o) {
  return static_cast<W*>(o);
}

// Model colours for the enabled look; a disabled widget keeps the style's
// greyed colours.
void setColours(QWidget* w, const Control& c, QPalette::ColorRole back, QPalette::ColorRole fore) {
  const QPalette base = w->parentWidget() ? w->parentWidget()->palette() : QPalette();
  QPalette p = w->palette();
  const bool ownBack = back == QPalette::Base || !isSystemColour(c.backColor());
  for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive}) {
    p.setColor(g, fore, textColour(c.foreColor(), base));
    p.setColor(g, back, ownBack ? toColour(c.backColor(), base) : base.color(g, back));
  }
  if (back != QPalette::Base) w->setAutoFillBackground(ownBack);
  if (p != w->palette()) w->setPalette(p);
}

void renderGeometry(QWidget* w, const Control& c) {
  if (is(c, "Check5") || is(c, "Image1") || is(c, "Label9", 1) || is(c, "Shape2")) {
    const QRect r = layout::place(c).rect;
    if (r != w->geometry()) w->setGeometry(r);
  }
}

}  // namespace

QWidget* ControlView::widget() const {
  switch (kind) {
    case ViewKind::None:
    case ViewKind::Menu:
    case ViewKind::Action:
    case ViewKind::Timer:
      return nullptr;
    default:
      return static_cast<QWidget*>(object);
  }
}

ControlView createControlWidget(Control& c, QWidget* parent) {
  ControlView v;
  v.control = &c;
  QWidget* w = nullptr;
  switch (c.kind()) {
    case ControlKind::CommandButton:
      w = new QPushButton(parent);
      v.kind = ViewKind::PushButton;
      break;
    case ControlKind::PictureButton:
      w = makeArrowButton(c, parent);
      v.kind = ViewKind::ArrowButton;
      break;
    case ControlKind::CheckBox:
      w = new QCheckBox(parent);
      v.kind = ViewKind::CheckBox;
      break;
    case ControlKind::OptionButton: {
      auto* radio = new QRadioButton(parent);
      radio->setAutoExclusive(false);  // the model keeps the group exclusive
      w = radio;
      v.kind = ViewKind::Radio;
      break;
    }
    case ControlKind::TextBox:
      if (SlotLabel::Tokenizer t = tokenizerFor(c)) {
        auto* table = new SlotLabel(t, parent);
        table->setPlaces(layout::placesFor(c));
        w = table;
        v.kind = ViewKind::SlotText;
      } else {
        w = makeLineEdit(c, parent);
        v.kind = ViewKind::LineEdit;
      }
      break;
    case ControlKind::Label:
      if (SlotLabel::Tokenizer t = tokenizerFor(c)) {
        auto* label = new SlotLabel(t, parent);
        label->setPlaces(layout::placesFor(c));
        w = label;
        v.kind = ViewKind::SlotLabel;
      } else {
        w = makeLabel(c, parent);
        v.kind = ViewKind::Label;
      }
      break;
    case ControlKind::ComboBox: {
      auto* combo = new QComboBox(parent);
      combo->setEditable(false);
      w = combo;
      v.kind = ViewKind::Combo;
      break;
    }
    case ControlKind::Frame: {
      auto* group = new QGroupBox(parent);
      w = group;
      v.kind = ViewKind::Group;
      break;
    }
    case ControlKind::Shape:
    case ControlKind::Line:
    case ControlKind::Image:
      w = new ShapeWidget(shapeForm(c), parent);
      v.kind = ViewKind::Shape;
      break;
    case ControlKind::PictureBox:
      w = new LogoWidget(parent);
      v.kind = ViewKind::Logo;
      break;
    default:
      return v;
  }
  w->setFont(fontFor(c));
  w->setObjectName(qs(c.objectName()));
  w->setAccessibleDescription(qs(c.inventoryName()));
  v.object = w;
  return v;
}

std::string accessibleNameOf(const Control& c) {
  switch (c.kind()) {
    case ControlKind::TextBox:
    case ControlKind::Shape:
    case ControlKind::Line:
    case ControlKind::Image:
    case ControlKind::PictureBox:
    case ControlKind::PictureButton:
    case ControlKind::ComboBox:
    case ControlKind::OptionButton:
      if (!c.description().empty()) return c.description();
      break;
    default:
      break;
  }
  if (!c.caption().empty()) return c.caption();
  if (!c.description().empty()) return c.description();
  return c.inventoryName();
}

void renderControl(const ControlView& v) {
  const Control& c = *v.control;
  switch (v.kind) {
    case ViewKind::None:
      return;
    case ViewKind::Window:
      as<QMainWindow>(v.object)->setWindowTitle(qs(c.text()));
      return;
    case ViewKind::Menu: {
      QAction* a = as<QMenu>(v.object)->menuAction();
      a->setText(qs(c.text()));
      a->setEnabled(c.enabled());
      a->setVisible(c.visible());
      return;
    }
    case ViewKind::Action: {
      auto* a = as<QAction>(v.object);
      a->setText(qs(c.text()));
      a->setToolTip(qs(c.toolTip()));
      a->setEnabled(c.enabled());
      a->setVisible(c.visible());
      return;
    }
    case ViewKind::Timer: {
      auto* t = as<QTimer>(v.object);
      if (t->interval() != c.interval()) t->setInterval(c.interval());
      if (c.enabled() && !t->isActive()) t->start();
      if (!c.enabled() && t->isActive()) t->stop();
      return;
    }
    default:
      break;
  }

  QWidget* w = v.widget();
  const QSignalBlocker quiet(w);
  switch (v.kind) {
    case ViewKind::PushButton:
      as<QPushButton>(w)->setText(qs(breakSpaceRuns(c.caption())));
      setColours(w, c, QPalette::Button, QPalette::ButtonText);
      break;
    case ViewKind::CheckBox:
      as<QCheckBox>(w)->setText(qs(c.caption()));
      as<QCheckBox>(w)->setChecked(c.value() == 1);
      setColours(w, c, QPalette::Window, QPalette::WindowText);
      break;
    case ViewKind::Radio:
      as<QRadioButton>(w)->setText(qs(c.caption()));
      as<QRadioButton>(w)->setChecked(c.value() != 0);
      break;
    case ViewKind::LineEdit: {
      auto* edit = as<QLineEdit>(w);
      const bool changed = edit->text() != qs(c.text());
      if (changed) edit->setText(qs(c.text()));
      // A box being typed into shows the caret where the model has it (after
      // the typed character, or where the key filter's trimming moved it).
      if (auto* routed = qobject_cast<RoutedLineEdit*>(edit); routed != nullptr && routed->hasFocus()) {
        const int size = static_cast<int>(edit->text().size());
        const int start = std::clamp(c.selStart(), 0, size);
        const int length = std::clamp(c.selLength(), 0, size - start);
        if (changed || routed->selStart() != start || routed->selLength() != length) {
          if (length > 0) {
            edit->setSelection(start, length);
          } else {
            edit->setCursorPosition(start);
          }
        }
      }
      setColours(w, c, QPalette::Base, QPalette::Text);
      break;
    }
    case ViewKind::SlotText: {
      auto* table = as<SlotLabel>(w);
      table->setText(c.text());
      table->setField(true, toColour(c.backColor(), w->palette()));
      table->setTextColour(textColour(c.foreColor(), w->palette()));
      break;
    }
    case ViewKind::Label:
      as<QLabel>(w)->setText(qs(breakSpaceRuns(c.caption())));
      setColours(w, c, QPalette::Window, QPalette::WindowText);
      break;
    case ViewKind::SlotLabel:
      as<SlotLabel>(w)->setText(c.caption());
      as<SlotLabel>(w)->setTextColour(textColour(c.foreColor(), w->palette()));
      break;
    case ViewKind::Combo: {
      auto* combo = as<QComboBox>(w);
      QStringList items;
      for (const std::string& s : c.items()) items << qs(s);
      QStringList shown;
      for (int i = 0; i < combo->count(); ++i) shown << combo->itemText(i);
      if (shown != items) {
        combo->clear();
        combo->addItems(items);
      }
      if (combo->currentIndex() != c.listIndex()) combo->setCurrentIndex(c.listIndex());
      break;
    }
    case ViewKind::Group:
      as<QGroupBox>(w)->setTitle(qs(c.caption()));
      break;
    case ViewKind::Shape:
      as<ShapeWidget>(w)->setFill(c.kind() == ControlKind::Image  ? QColor(24, 48, 120)
                                  : c.kind() == ControlKind::Line ? toColour(c.foreColor(), w->palette())
                                                                  : toColour(c.fillColor(), w->palette()));
      break;
    default:
      break;
  }
  if (v.kind != ViewKind::Window) {
    w->setToolTip(qs(c.toolTip()));
    w->setAccessibleName(qs(accessibleNameOf(c)));
    w->setEnabled(c.enabled());
    renderGeometry(w, c);
    w->setVisible(c.visible());
  }
}

}  // namespace kestrav::gui
