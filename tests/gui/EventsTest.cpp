// What the user does reaches the handler the core wired, with the control's
// index, and the window follows what the handler did to the model.

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <memory>
#include <chrono>
#include <thread>

#include "WindowFixture.h"

namespace kestrav::test {
namespace {

using Ints = std::vector<int>;

class EventsTest : public WindowTest {
 protected:
  void SetUp() override {
    start();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  }

  void click(const context::Control& c, QPoint at = QPoint()) {
    QWidget* w = widget(c);
    QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, at.isNull() ? w->rect().center() : at);
    settle();
  }
  void clickBox(const context::Control& c) { click(c, QPoint(7, widget(c)->height() / 2)); }
};

TEST_F(EventsTest, ButtonClicksReachTheirHandlerWithTheirIndex) {
  Ints clicked;
  for (context::Control& b : ui.Command1) b.onClick([&](int i) { clicked.push_back(i); });
  for (context::Control& b : ui.Command4) b.onClick([&](int i) { clicked.push_back(100 + i); });
  for (context::Control& b : ui.Command2) b.onClick([&](int i) { clicked.push_back(200 + i); });
  click(ui.Command1[7]);
  click(ui.Command1[0]);
  click(ui.Command1[10]);
  click(ui.Command4[0]);
  click(ui.Command2[3]);
  EXPECT_EQ(clicked, (Ints{7, 0, 10, 100, 203}));
  EXPECT_FALSE(widget(ui.Command1[12])->isVisible());
}

TEST_F(EventsTest, BroadcastBoxClickRaisesOneClickAndTheWindowFollowsTheHandler) {
  Ints clicked;
  ui.Check5[3].onClick([&](int i) { clicked.push_back(i); });
  clickBox(ui.Check5[3]);
  EXPECT_EQ(clicked, (Ints{3}));
  EXPECT_EQ(ui.Check5[3].value(), 1);
  clickBox(ui.Check5[3]);
  EXPECT_EQ(clicked, (Ints{3, 3}));
  EXPECT_EQ(ui.Check5[3].value(), 0);

  // With the core's own handler the box widens to "BROADCAST" and the board
  // name beside it goes.
  auto* box = qobject_cast<QCheckBox*>(widget(ui.Check5[1]));
  const int narrow = box->width();
  clickBox(ui.Check5[1]);
  EXPECT_TRUE(box->isChecked());
  EXPECT_EQ(box->text(), "BROADCAST");
  EXPECT_GT(box->width(), narrow);
  EXPECT_FALSE(widget(ui.Label19[1])->isVisible());
  clickBox(ui.Check5[1]);
  EXPECT_EQ(box->text(), "B'CAST");
  EXPECT_EQ(box->width(), narrow);
  EXPECT_TRUE(widget(ui.Label19[1])->isVisible());
}

TEST_F(EventsTest, ChoosingAStackSizeShowsThatManyBoards) {
  auto* sizes = qobject_cast<QComboBox*>(widget(ui.Combo1));
  sizes->setFocus();
  QTest::keyClick(sizes, Qt::Key_Down);
  QTest::keyClick(sizes, Qt::Key_Down);
  settle();
  EXPECT_EQ(ui.Combo1.listIndex(), 2);
  EXPECT_EQ(sizes->currentIndex(), 2);
  EXPECT_TRUE(widget(ui.Command4[2])->isVisible());
  EXPECT_FALSE(widget(ui.Command4[3])->isVisible());
  EXPECT_TRUE(widget(ui.Shape1[35])->isVisible());
  EXPECT_FALSE(widget(ui.Shape1[36])->isVisible());
}

TEST_F(EventsTest, OptionButtonsStayExclusiveAndACheckedOneStaysChecked) {
  Ints clicked;
  for (context::Control& o : ui.Option1) o.onClick([&](int i) { clicked.push_back(i); });
  auto* perBoard = qobject_cast<QRadioButton*>(widget(ui.Option1[0]));
  auto* global = qobject_cast<QRadioButton*>(widget(ui.Option1[1]));
  ASSERT_TRUE(global->isChecked());
  click(ui.Option1[0]);
  EXPECT_TRUE(perBoard->isChecked());
  EXPECT_FALSE(global->isChecked());
  click(ui.Option1[0]);  // clicking the checked one again keeps it checked
  EXPECT_TRUE(perBoard->isChecked());
  EXPECT_EQ(ui.Option1[0].value(), 1);
  EXPECT_EQ(clicked, (Ints{0, 0}));
}

TEST_F(EventsTest, KeyHandlerSeesTheTextFirstAndCanSwallowOrReplaceTheKey) {
  auto* box = qobject_cast<QLineEdit*>(widget(ui.Text2[0]));
  click(ui.Text2[0]);  // entering the box empties it
  struct Seen {
    int key;
    std::string text;
    int caret;
  };
  std::vector<Seen> seen;
  ui.Text2[0].onKeyPress([&](int index, int key) {
    EXPECT_EQ(index, 0);
    seen.push_back({key, ui.Text2[0].text(), ui.Text2[0].selStart()});
    if (key == 'x') return 0;
    if (key == ',') return static_cast<int>('.');
    return key;
  });
  QTest::keyClicks(box, "1x,5");
  settle();
  EXPECT_EQ(box->text(), "1.5");
  EXPECT_EQ(ui.Text2[0].text(), "1.5");
  ASSERT_EQ(seen.size(), 4u);
  EXPECT_EQ(seen[1].key, 'x');
  EXPECT_EQ(seen[1].text, "1");
  EXPECT_EQ(seen[1].caret, 1);
  EXPECT_EQ(seen[3].text, "1.");
  EXPECT_EQ(seen[3].caret, 2);

  QTest::keyClick(box, Qt::Key_Backspace);
  settle();
  EXPECT_EQ(seen.back().key, 8);
  EXPECT_EQ(box->text(), "1.");
  QTest::keyClick(box, Qt::Key_Left);  // no character: the handler is not asked
  settle();
  EXPECT_EQ(seen.size(), 5u);
  EXPECT_EQ(box->cursorPosition(), 1);
  EXPECT_EQ(ui.Text2[0].selStart(), 1);
}

TEST_F(EventsTest, AKeyFilterThatRewritesTheTextKeepsTheCaretWhereItPutIt) {
  auto* box = qobject_cast<QLineEdit*>(widget(ui.Text2[1]));
  click(ui.Text2[1]);
  onCore([&] { ui.Text2[1].setText(" 3.1"); });
  // The filter trims the blank in front, moving the caret with the text.
  ui.Text2[1].onKeyPress([&](int, int key) {
    const int caret = ui.Text2[1].selStart();
    ui.Text2[1].setText("3.1");
    ui.Text2[1].setSelStart(caret - 1);
    return key;
  });
  box->setCursorPosition(2);  // after the 3
  QTest::keyClick(box, '5');
  settle();
  EXPECT_EQ(box->text(), "35.1");
  EXPECT_EQ(ui.Text2[1].text(), "35.1");
}

TEST_F(EventsTest, FocusMovesRaiseLostThenGot) {
  std::vector<std::string> events;
  for (context::Control& t : ui.Text2) {
    t.onGotFocus([&](int i) { events.push_back("got " + std::to_string(i)); });
    t.onLostFocus([&](int i) { events.push_back("lost " + std::to_string(i)); });
  }
  click(ui.Text2[0]);
  click(ui.Text2[1]);
  click(ui.Command1[7]);
  EXPECT_EQ(events, (std::vector<std::string>{"got 0", "lost 0", "got 1", "lost 1"}));
  EXPECT_EQ(ui.focused(), &ui.Command1[7]);

  // A handler that moves the focus moves the keyboard with it, once.
  events.clear();
  ui.Command1[6].onClick([&](int) { ui.setFocus(ui.Text2[1]); });
  click(ui.Command1[6]);
  EXPECT_EQ(QApplication::focusWidget(), widget(ui.Text2[1]));
  EXPECT_EQ(events, (std::vector<std::string>{"got 1"}));
}

TEST_F(EventsTest, TicksNeverStartInsideATickThatWaits) {
  // The second identification keeps its tick busy (a slow bridge) while the
  // window's timer goes on asking for ticks.
  onCore([this] {
    port->onIdentify = [this] {
      if (port->identifications == 2) std::this_thread::sleep_for(std::chrono::milliseconds(400));
    };
  });
  QTRY_VERIFY_WITH_TIMEOUT(port->identifications >= 4, 5000);
  EXPECT_EQ(port->maxDepth, 1);
}

TEST_F(EventsTest, TheWindowStaysAnsweringWhileTheCoreWaitsForTheBridge) {
  std::atomic<bool> release{false};
  // However the test ends, the stuck tick is let go (the fixture joins the core).
  const std::shared_ptr<void> letGo(nullptr, [&](void*) { release = true; });
  int before = 0;
  onCore([&] {
    // Counted on the core, where no tick runs meanwhile: a tick that started
    // between this event and the test's next look would otherwise be
    // counted as "before" and then never end.
    before = port->identifications;
    port->onIdentify = [&] {
      while (!release) std::this_thread::yield();
    };
  });
  QTRY_VERIFY_WITH_TIMEOUT(port->identifications > before, 5000);  // a tick is stuck in the bridge
  // The window still takes clicks; the core runs them once the tick is done.
  Ints clicked;
  ui.Command1[7].onClick([&](int i) { clicked.push_back(i); });
  QTest::mouseClick(widget(ui.Command1[7]), Qt::LeftButton);
  QTest::mouseClick(widget(ui.Command1[0]), Qt::LeftButton);
  EXPECT_TRUE(clicked.empty());
  release = true;
  settle();
  EXPECT_EQ(clicked, (Ints{7}));
}

TEST_F(EventsTest, AClickOnAControlDisabledMeanwhileIsDropped) {
  Ints clicked;
  ui.Command1[7].onClick([&](int i) { clicked.push_back(i); });
  // The core is busy while the user clicks; by the time it takes the click
  // the button is disabled.
  std::atomic<bool> release{false};
  core.post(-1, [&](context::Monitor&, context::Control*) {
    while (!release) std::this_thread::yield();
    ui.Command1[7].setEnabled(false);
  });
  QTest::mouseClick(widget(ui.Command1[7]), Qt::LeftButton);
  release = true;
  settle();
  EXPECT_TRUE(clicked.empty());
  EXPECT_FALSE(widget(ui.Command1[7])->isEnabled());
}

TEST_F(EventsTest, NoTickWhileADialogOfAHandlerIsOpen) {
  onCore([&] { ui.Text8.setText(""); });
  int duringDialog = -1;
  ui.Command1[0].onClick([&](int) {
    ui.Text8.setText("0x12 == 0x12");
    const int before = port->identifications;
    monitor.desktop.messageBox("Bridge busy", "", context::MessageButtons::OK, context::MessageIcon::Exclamation,
                               context::MessageAnswer::OK);
    duringDialog = port->identifications - before;
  });
  // The box runs its own loop: a timer looks at the window while it is up
  // and closes it after 400 ms, in which the window's timer asks for ticks.
  QString shownWhenAsked;
  QTimer watch;
  QObject::connect(&watch, &QTimer::timeout, [&] {
    QWidget* box = QApplication::activeModalWidget();
    if (box == nullptr || !shownWhenAsked.isNull()) return;
    shownWhenAsked = qobject_cast<QLineEdit*>(widget(ui.Text8))->text();
    QTimer::singleShot(400, box, [box] { box->close(); });
  });
  watch.start(10);
  QTest::mouseClick(widget(ui.Command1[0]), Qt::LeftButton);
  settle();
  EXPECT_EQ(shownWhenAsked, "0x12 == 0x12");  // rendered before the dialog opened
  EXPECT_EQ(duringDialog, 0);
  const int after = port->identifications;
  QTRY_VERIFY_WITH_TIMEOUT(port->identifications > after, 5000);  // ticks again afterwards
}

TEST_F(EventsTest, ExitEndsTheProgramWithStatusZero) {
  window.actionFor(ui.mnuExit)->trigger();
  settle();
  EXPECT_TRUE(monitor.ended());
  EXPECT_EQ(monitor.exitStatus(), 0);
  QTRY_VERIFY_WITH_TIMEOUT(desktop.quitRequested(), 5000);
  EXPECT_EQ(desktop.quitStatus(), 0);
}

TEST_F(EventsTest, ClosingTheWindowEndsTheProgramWithStatusZero) {
  window.close();
  settle();
  EXPECT_TRUE(monitor.ended());
  QTRY_VERIFY_WITH_TIMEOUT(desktop.quitRequested(), 5000);
  EXPECT_EQ(desktop.quitStatus(), 0);
}

TEST_F(EventsTest, LostBridgeEndsTheProgramAtTheNextTick) {
  port->answers = port->identifications.load();  // silent from now on
  QTRY_VERIFY_WITH_TIMEOUT(desktop.quitRequested(), 5000);
  settle();
  EXPECT_TRUE(monitor.ended());
  EXPECT_EQ(desktop.quitStatus(), 1);
  EXPECT_EQ(qobject_cast<QLabel*>(widget(ui.Label_IDstring))->text().trimmed(), "");
  EXPECT_FALSE(window.timer1().isActive());
}

}  // namespace
}  // namespace kestrav::test
