#pragma once
// A text box that never edits itself. Every character the user enters (a
// key, an input method's commit, a paste from the keyboard or the context
// menu) leaves as one characterTyped() signal per character, the Delete key
// as deletePressed(), and every move of the caret or selection as
// caretMoved(). The text shown is only ever what the window model says,
// so the model's key handler decides every character the box shows.

#include <QLineEdit>

class QMenu;

namespace kestrav::gui {

class RoutedLineEdit : public QLineEdit {
  Q_OBJECT

 public:
  explicit RoutedLineEdit(QWidget* parent = nullptr);

  // The box's context menu: Cut, Copy, Paste, Delete, Select All, with the
  // editing ones routed like keys. No Undo or Redo: the box's own history
  // would bring back text the model no longer has. The caller owns it.
  QMenu* createEditMenu();

  // Where the selection starts (the caret when nothing is selected) and how
  // many characters it spans.
  int selStart() const;
  int selLength() const;

 signals:
  // A character entered: its Unicode code point; Backspace is 8, Enter 13,
  // Escape 27.
  void characterTyped(uint code);
  void deletePressed();
  void caretMoved(int start, int length);

 protected:
  void keyPressEvent(QKeyEvent* e) override;
  void inputMethodEvent(QInputMethodEvent* e) override;
  void contextMenuEvent(QContextMenuEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void dragEnterEvent(QDragEnterEvent* e) override;
  void dropEvent(QDropEvent* e) override;

 private:
  void typeText(const QString& text);
  void pasteClipboard();
  void cut();
};

}  // namespace kestrav::gui
