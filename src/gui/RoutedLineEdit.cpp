#include "gui/RoutedLineEdit.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>

namespace kestrav::gui {

namespace {

// Keys that only move the caret or the selection, or copy: the box handles
// them itself, they change no text.
bool movesOnly(const QKeyEvent* e) {
  switch (e->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
      return true;
    default:
      break;
  }
  return e->matches(QKeySequence::Copy) || e->matches(QKeySequence::SelectAll);
}

constexpr Qt::KeyboardModifiers kShortcutModifiers = Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;

}  // namespace

RoutedLineEdit::RoutedLineEdit(QWidget* parent) : QLineEdit(parent) {
  // A drop would insert its text past the key handler.
  setAcceptDrops(false);
  setDragEnabled(false);
  auto report = [this] { emit caretMoved(selStart(), selLength()); };
  connect(this, &QLineEdit::cursorPositionChanged, this, report);
  connect(this, &QLineEdit::selectionChanged, this, report);
}

int RoutedLineEdit::selStart() const { return hasSelectedText() ? selectionStart() : cursorPosition(); }

int RoutedLineEdit::selLength() const { return hasSelectedText() ? static_cast<int>(selectedText().size()) : 0; }

void RoutedLineEdit::keyPressEvent(QKeyEvent* e) {
  e->accept();
  if (movesOnly(e)) {
    QLineEdit::keyPressEvent(e);
    return;
  }
  if (e->matches(QKeySequence::Paste)) {
    pasteClipboard();
    return;
  }
  if (e->matches(QKeySequence::Cut)) {
    cut();
    return;
  }
  const bool shortcut = (e->modifiers() & kShortcutModifiers) != 0;
  switch (e->key()) {
    case Qt::Key_Backspace:
      if (!shortcut) emit characterTyped(8);
      return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (!shortcut) emit characterTyped(13);
      return;
    case Qt::Key_Escape:
      if (!shortcut) emit characterTyped(27);
      return;
    case Qt::Key_Delete:
      if (!shortcut) emit deletePressed();
      return;
    default:
      break;
  }
  // Ctrl, Alt and Meta make a shortcut, never a character; what the box
  // would do with one (undo, delete a word, ...) it does not do here.
  if (!shortcut) typeText(e->text());
}

void RoutedLineEdit::inputMethodEvent(QInputMethodEvent* e) {
  // Only what the input method commits is typed; its preview stays out of
  // the text.
  typeText(e->commitString());
  e->accept();
}

void RoutedLineEdit::typeText(const QString& text) {
  for (char32_t code : text.toUcs4())
    if (code >= 32 && code != 127) emit characterTyped(static_cast<uint>(code));
}

void RoutedLineEdit::pasteClipboard() {
  // A paste is typed character by character; the line breaks and tabs of a
  // copied text are no keys anyone pressed.
  typeText(QGuiApplication::clipboard()->text());
}

void RoutedLineEdit::cut() {
  if (!hasSelectedText()) return;
  copy();
  emit deletePressed();
}

QMenu* RoutedLineEdit::createEditMenu() {
  auto* menu = new QMenu(this);
  menu->setObjectName("editMenu");
  const bool selected = hasSelectedText();
  QAction* a = menu->addAction(tr("Cu&t"), this, &RoutedLineEdit::cut);
  a->setObjectName("edit-cut");
  a->setEnabled(selected);
  a = menu->addAction(tr("&Copy"), this, &QLineEdit::copy);
  a->setObjectName("edit-copy");
  a->setEnabled(selected);
  a = menu->addAction(tr("&Paste"), this, &RoutedLineEdit::pasteClipboard);
  a->setObjectName("edit-paste");
  a->setEnabled(!QGuiApplication::clipboard()->text().isEmpty());
  a = menu->addAction(tr("Delete"), this, [this] {
    if (hasSelectedText()) emit deletePressed();
  });
  a->setObjectName("edit-delete");
  a->setEnabled(selected);
  menu->addSeparator();
  a = menu->addAction(tr("Select All"), this, &QLineEdit::selectAll);
  a->setObjectName("select-all");
  a->setEnabled(!text().isEmpty());
  return menu;
}

void RoutedLineEdit::contextMenuEvent(QContextMenuEvent* e) {
  QMenu* menu = createEditMenu();
  menu->setAttribute(Qt::WA_DeleteOnClose);
  menu->popup(e->globalPos());
  e->accept();
}

void RoutedLineEdit::mouseReleaseEvent(QMouseEvent* e) {
  // The middle button would paste the X11 selection past the key handler.
  if (e->button() == Qt::MiddleButton) {
    e->accept();
    return;
  }
  QLineEdit::mouseReleaseEvent(e);
}

void RoutedLineEdit::dragEnterEvent(QDragEnterEvent* e) { e->ignore(); }

void RoutedLineEdit::dropEvent(QDropEvent* e) { e->ignore(); }

}  // namespace kestrav::gui
