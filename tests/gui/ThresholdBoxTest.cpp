// The threshold boxes in the window: a click anywhere else applies what was
// typed before the clicked control acts, and no way of entering text gets
// past the key filter.

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QTimer>
#include <QMimeData>
#include <QTest>

#include "WindowFixture.h"
#include "config/Thresholds.h"
#include "gui/RoutedLineEdit.h"

namespace kestrav::test {
namespace {

using context::ControlKind;

class ThresholdBoxTest : public WindowTest {
 protected:
  void SetUp() override {
    start();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    // A message box would stop the test; note it and close it.
    QObject::connect(&boxCloser, &QTimer::timeout, [this] {
      if (auto* b = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        boxes.push_back(b->text().toStdString());
        b->close();
      }
    });
    boxCloser.start(20);
  }

  QTimer boxCloser;
  std::vector<std::string> boxes;

  gui::RoutedLineEdit* box(int index) { return qobject_cast<gui::RoutedLineEdit*>(widget(ui.Text2[index])); }

  // Enters the box (which empties it) or, when it has the focus already,
  // empties it with Backspace; then types.
  void typeInto(int index, const QString& keys) {
    if (box(index)->hasFocus()) {
      box(index)->selectAll();
      QTest::keyClick(box(index), Qt::Key_Backspace);
    } else {
      QTest::mouseClick(box(index), Qt::LeftButton);
    }
    settle();
    ASSERT_EQ(box(index)->text(), "");
    QTest::keyClicks(box(index), keys);
    settle();
  }

  void sendText(QWidget* w, const QString& text, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, 0, mods, text);
    QApplication::sendEvent(w, &press);
    settle();
  }

  int vovCode() const { return monitor.stack.board[0].VOVcode; }  // read when the core is idle
};

// Type "4.2" into VOV, then click a control of each kind: the box loses
// the focus on the press, so the value (code 175) is stored before the
// control's own handler runs.
TEST_F(ThresholdBoxTest, AClickOnAnyControlAppliesTheTypedValueFirst) {
  struct Case {
    const context::Control* control;
    int vovAfter;  // what the click's own handler then makes of it
  };
  const Case cases[] = {
      {&ui.Command2[3], 176},  // VOV up: steps the stored 175
      {&ui.Command2[1], 175},  // VUV up
      {&ui.Command0[1], 175},  // duty cycle up
      {&ui.Check1[0], 175},    // a discharge bit
      {&ui.Option1[0], 175},   // per-board thresholds
      {&ui.Command4[0], 175},  // board 1 again
      {&ui.Command1[1], 175},  // a command button (POLL INT)
      {&ui.Combo2, 175},       // the address digit
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.control->inventoryName());
    onCore([&] { monitor.stack.board[0].VOVcode = 0; });
    typeInto(1, "4.2");
    ASSERT_EQ(box(1)->text(), "4.2");
    QWidget* w = widget(*c.control);
    QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, QPoint(7, w->height() / 2));
    settle();
    if (auto* combo = qobject_cast<QComboBox*>(w)) combo->hidePopup();
    settle();
    EXPECT_EQ(ui.focused(), c.control);
    EXPECT_EQ(vovCode(), c.vovAfter);
  }
  EXPECT_TRUE(boxes.empty()) << boxes.front();
}

TEST_F(ThresholdBoxTest, EveryClickableControlTakesTheFocusOnAClick) {
  int clickable = 0;
  for (const context::Control* c : ui.all()) {
    switch (c->kind()) {
      case ControlKind::CommandButton:
      case ControlKind::PictureButton:
      case ControlKind::CheckBox:
      case ControlKind::OptionButton:
      case ControlKind::ComboBox:
        break;
      case ControlKind::TextBox:
        if (qobject_cast<QLineEdit*>(widget(*c)) != nullptr) break;
        continue;  // a box drawn as a table shows text only
      default:
        continue;
    }
    SCOPED_TRACE(c->inventoryName());
    ASSERT_NE(widget(*c), nullptr);
    EXPECT_TRUE(widget(*c)->focusPolicy() & Qt::ClickFocus);
    ++clickable;
  }
  EXPECT_GT(clickable, 80);
}

TEST_F(ThresholdBoxTest, CharactersOutsideAsciiAreSwallowed) {
  typeInto(0, "1");
  for (const QString& s : {QString("é"), QString("½"), QString("²"), QString::fromUtf8("\u0663"),
                           QString::fromUcs4(U"\U0001D7D9")}) {
    sendText(box(0), s);
    EXPECT_EQ(box(0)->text(), "1") << s.toStdString();
  }
  EXPECT_EQ(ui.Text2[0].text(), "1");
  EXPECT_EQ(ui.Text2[0].foreColor(), context::kGrey);  // the key handler was asked

  // An input method's commit is typed character by character; its preview
  // never enters the text.
  QInputMethodEvent preview("½", {});
  QApplication::sendEvent(box(0), &preview);
  settle();
  EXPECT_EQ(box(0)->text(), "1");
  QInputMethodEvent commit;
  commit.setCommitString("½.5x");
  QApplication::sendEvent(box(0), &commit);
  settle();
  EXPECT_EQ(box(0)->text(), "1.5");
  EXPECT_EQ(ui.Text2[0].text(), "1.5");
}

TEST_F(ThresholdBoxTest, APasteRunsThroughTheFilterCharacterByCharacter) {
  QGuiApplication::clipboard()->setText("3a.1.-5\n7");
  typeInto(0, "");
  QTest::keyClick(box(0), Qt::Key_V, Qt::ControlModifier);
  settle();
  EXPECT_EQ(box(0)->text(), "3.157");
  EXPECT_EQ(ui.Text2[0].text(), "3.157");

  typeInto(0, "");
  QTest::keyClick(box(0), Qt::Key_Insert, Qt::ShiftModifier);
  settle();
  EXPECT_EQ(box(0)->text(), "3.157");

  typeInto(0, "");
  std::unique_ptr<QMenu> menu(box(0)->createEditMenu());
  EXPECT_EQ(menu->findChild<QAction*>("edit-undo"), nullptr);
  QAction* paste = nullptr;
  for (QAction* a : menu->actions())
    if (a->objectName() == "edit-paste") paste = a;
  ASSERT_NE(paste, nullptr);
  paste->trigger();
  settle();
  EXPECT_EQ(box(0)->text(), "3.157");
  EXPECT_EQ(ui.Text2[0].text(), "3.157");
}

TEST_F(ThresholdBoxTest, MiddleClickDropsAndShortcutsInsertNothing) {
  QGuiApplication::clipboard()->setText("9x", QClipboard::Selection);
  QGuiApplication::clipboard()->setText("9x");
  typeInto(0, "2");
  QTest::mouseClick(box(0), Qt::MiddleButton);
  settle();
  EXPECT_EQ(box(0)->text(), "2");

  QMimeData data;
  data.setText("8y");
  QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(box(0), &drop);
  settle();
  EXPECT_EQ(box(0)->text(), "2");

  // Ctrl and Alt with a character are shortcuts, never typing; the box's own
  // editing shortcuts do nothing the model did not do.
  sendText(box(0), "x", Qt::ControlModifier);
  sendText(box(0), "é", Qt::AltModifier);
  sendText(box(0), "5", Qt::AltModifier);
  QTest::keyClick(box(0), Qt::Key_Z, Qt::ControlModifier);
  settle();
  QTest::keyClick(box(0), Qt::Key_Backspace, Qt::ControlModifier);
  settle();
  EXPECT_EQ(box(0)->text(), "2");
  EXPECT_EQ(ui.Text2[0].text(), "2");

  // Cut and Delete only remove, and the model follows.
  box(0)->selectAll();
  settle();
  QTest::keyClick(box(0), Qt::Key_X, Qt::ControlModifier);
  settle();
  EXPECT_EQ(box(0)->text(), "");
  EXPECT_EQ(ui.Text2[0].text(), "");
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "2");
  QTest::keyClicks(box(0), "12");
  settle();
  QTest::keyClick(box(0), Qt::Key_Home);
  settle();
  QTest::keyClick(box(0), Qt::Key_Delete);
  settle();
  EXPECT_EQ(box(0)->text(), "2");
  EXPECT_EQ(ui.Text2[0].text(), "2");
}

// The filter takes "-" only at the start of the text; with a selection,
// the caret it judges is where the selection starts.
TEST_F(ThresholdBoxTest, TheCaretOfASelectionIsItsStart) {
  typeInto(0, "12");
  box(0)->selectAll();  // Qt's cursor now stands at the end
  settle();
  QTest::keyClick(box(0), '-');
  settle();
  EXPECT_EQ(box(0)->text(), "-");  // the selection is replaced

  typeInto(0, "123");
  box(0)->setSelection(1, 2);
  settle();
  QTest::keyClick(box(0), '-');
  settle();
  EXPECT_EQ(box(0)->text(), "123");
  QTest::keyClick(box(0), '.');
  settle();
  EXPECT_EQ(box(0)->text(), "1.");
  EXPECT_EQ(box(0)->cursorPosition(), 2);
  QTest::keyClick(box(0), Qt::Key_Backspace);
  settle();
  EXPECT_EQ(box(0)->text(), "1");
}

// A refused value ("Only Enter Values Between ...") shows a message box while
// the focus moves on. However the focus left the box, once the box is
// answered Qt's focus is where the model's is, so the next key goes where
// the model expects it.
class FocusAfterRefusalTest : public ThresholdBoxTest {
 protected:
  void expectFocusAgrees(const char* how) {
    SCOPED_TRACE(how);
    settle();
    ASSERT_NE(ui.focused(), nullptr);
    EXPECT_EQ(QApplication::focusWidget(), widget(*ui.focused()))
        << "model: " << ui.focused()->inventoryName() << ", Qt: "
        << (QApplication::focusWidget() ? QApplication::focusWidget()->objectName().toStdString() : "none");
    // The refusal came first (the box left after it may refuse the pair too).
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes.back(), config::kThresholdRangeMessage);
    boxes.clear();
  }
  void typeRefused() {
    typeInto(1, "9");
    ASSERT_EQ(ui.focused(), &ui.Text2[1]);
  }
};

TEST_F(FocusAfterRefusalTest, QtsFocusFollowsTheModelsHoweverTheBoxWasLeft) {
  typeRefused();
  QTest::mouseClick(widget(ui.Check1[0]), Qt::LeftButton, Qt::NoModifier, QPoint(7, widget(ui.Check1[0])->height() / 2));
  expectFocusAgrees("a click elsewhere");
  EXPECT_EQ(ui.focused(), &ui.Check1[0]);

  typeRefused();
  QTest::keyClick(box(1), Qt::Key_Return);
  expectFocusAgrees("Enter");
  EXPECT_EQ(ui.focused(), &ui.Command1[5]);  // the write button

  typeRefused();
  QTest::keyClick(box(1), Qt::Key_Tab);
  expectFocusAgrees("Tab");

  typeRefused();
  QTest::mouseClick(box(0), Qt::LeftButton);
  expectFocusAgrees("a click into the other box");
  EXPECT_EQ(ui.focused(), &ui.Text2[0]);
  QTest::keyClicks(QApplication::focusWidget(), "3.5");
  settle();
  EXPECT_EQ(box(0)->text(), "3.5");
  EXPECT_EQ(ui.Text2[0].text(), "3.5");
}

// The user is quicker than the core: a second focus move follows the first
// before the core has taken it, or while the box is up.
TEST_F(FocusAfterRefusalTest, QtsFocusFollowsTheModelsWhenTheUserIsQuicker) {
  typeRefused();
  QTest::mouseClick(widget(ui.Check1[0]), Qt::LeftButton, Qt::NoModifier, QPoint(7, widget(ui.Check1[0])->height() / 2));
  QTest::mouseClick(box(0), Qt::LeftButton);
  expectFocusAgrees("two clicks in a row");
  EXPECT_EQ(ui.focused(), &ui.Text2[0]);

  typeRefused();
  QTest::keyClick(box(1), Qt::Key_Tab);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  expectFocusAgrees("two Tabs in a row");

  // While the box is up, the window moves the focus itself.
  typeRefused();
  boxCloser.stop();
  QTimer whileUp;
  QObject::connect(&whileUp, &QTimer::timeout, [&] {
    auto* b = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (b == nullptr) return;
    whileUp.stop();
    boxes.push_back(b->text().toStdString());
    widget(ui.Command2[3])->setFocus(Qt::OtherFocusReason);
    b->close();
  });
  whileUp.start(10);
  QTest::mouseClick(widget(ui.Check1[0]), Qt::LeftButton, Qt::NoModifier, QPoint(7, widget(ui.Check1[0])->height() / 2));
  expectFocusAgrees("a focus move while the box is up");
  boxCloser.start(20);
}

}  // namespace
}  // namespace kestrav::test
