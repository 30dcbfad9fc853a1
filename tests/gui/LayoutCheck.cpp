#include "LayoutCheck.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>

#include "gui/ShapeWidget.h"
#include "gui/SlotLabel.h"

namespace kestrav::test {

namespace {

std::string nameOf(const QWidget* w) { return w->objectName().toStdString(); }

int widestLine(const QFontMetrics& fm, const QString& text) {
  int widest = 0;
  for (const QString& line : text.split('\n')) widest = std::max(widest, fm.horizontalAdvance(line));
  return widest;
}

int lineCount(const QString& text) { return text.isEmpty() ? 0 : static_cast<int>(text.count('\n')) + 1; }

void checkText(const QWidget* w, std::vector<std::string>& out) {
  const QFontMetrics fm(w->font());
  auto fail = [&](const std::string& what) { out.push_back(nameOf(w) + ": " + what); };
  if (auto* label = qobject_cast<const QLabel*>(w)) {
    const QRect room = label->contentsRect();
    const QString text = label->text();
    const QRect need = fm.boundingRect(room, static_cast<int>(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0), text);
    if (need.width() > room.width() || need.height() > room.height()) fail("caption \"" + text.toStdString() + "\" clipped");
  } else if (auto* check = qobject_cast<const QCheckBox*>(w)) {
    const int indicator = w->style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, w) +
                          w->style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, w);
    if (indicator + fm.horizontalAdvance(check->text()) + 2 > w->width()) fail("caption \"" + check->text().toStdString() + "\" clipped");
  } else if (auto* radio = qobject_cast<const QRadioButton*>(w)) {
    const int indicator = w->style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, w);
    if (indicator + (radio->text().isEmpty() ? 0 : fm.horizontalAdvance(radio->text()) + 6) > w->width()) fail("caption clipped");
  } else if (auto* button = qobject_cast<const QPushButton*>(w)) {
    const QString text = button->text();
    if (widestLine(fm, text) + 8 > w->width() || lineCount(text) * fm.lineSpacing() + 4 > w->height())
      fail("caption \"" + text.toStdString() + "\" clipped");
  } else if (auto* edit = qobject_cast<const QLineEdit*>(w)) {
    if (fm.horizontalAdvance(edit->text()) + 8 > w->width()) fail("text \"" + edit->text().toStdString() + "\" clipped");
  } else if (auto* combo = qobject_cast<const QComboBox*>(w)) {
    for (int i = 0; i < combo->count(); ++i)
      if (fm.horizontalAdvance(combo->itemText(i)) + 24 > w->width()) fail("item clipped");
  } else if (auto* group = qobject_cast<const QGroupBox*>(w)) {
    if (fm.horizontalAdvance(group->title()) + 12 > w->width()) fail("title clipped");
  } else if (auto* table = dynamic_cast<const gui::SlotLabel*>(w)) {
    const auto& tokens = table->tokens();
    const auto& places = table->places();
    if (tokens.size() > places.size()) fail(std::to_string(tokens.size() - places.size()) + " entries without a place");
    QFont bold = w->font();
    bold.setBold(true);
    for (std::size_t i = 0; i < std::min(tokens.size(), places.size()); ++i) {
      const QRect room = places[i].rect;
      if (!w->rect().contains(room)) fail("entry " + std::to_string(i) + " outside the widget");
      const QFontMetrics m(places[i].bold ? bold : w->font());
      const QRect need = m.boundingRect(room, static_cast<int>(places[i].align) | Qt::TextWordWrap, QString::fromStdString(tokens[i]));
      if (need.width() > room.width() || need.height() > room.height()) fail("entry \"" + tokens[i] + "\" clipped");
    }
  }
}

bool isSymbolPart(const QWidget* w) { return dynamic_cast<const gui::ShapeWidget*>(w) != nullptr; }

void walk(const QWidget& parent, const QWidget& root, std::vector<std::string>& out) {
  std::vector<const QWidget*> shown;
  for (const QObject* o : parent.children()) {
    const auto* w = qobject_cast<const QWidget*>(o);
    if (w == nullptr || w->isWindow() || !w->isVisibleTo(&root)) continue;
    shown.push_back(w);
    if (!QRect(QPoint(0, 0), parent.size()).contains(w->geometry()))
      out.push_back(nameOf(w) + ": sticks out of " + nameOf(&parent));
    checkText(w, out);
    walk(*w, root, out);
  }
  for (std::size_t a = 0; a < shown.size(); ++a)
    for (std::size_t b = a + 1; b < shown.size(); ++b)
      if (!(isSymbolPart(shown[a]) && isSymbolPart(shown[b])) && shown[a]->geometry().intersects(shown[b]->geometry()))
        out.push_back(nameOf(shown[a]) + " overlaps " + nameOf(shown[b]));
}

}  // namespace

std::vector<std::string> layoutProblems(const QWidget& root) {
  std::vector<std::string> out;
  walk(root, root, out);
  return out;
}

}  // namespace kestrav::test
