// The window as built from the model: every control present and findable,
// the captions, tips and states it opens with, a layout that fits, and
// renders that touch only what changed.

#include <QEvent>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>

#include "LayoutCheck.h"
#include "WindowFixture.h"
#include "gui/ShapeWidget.h"
#include "gui/SlotLabel.h"

namespace kestrav::test {
namespace {

using context::ControlKind;

QString qs(const std::string& s) { return QString::fromStdString(s); }

std::string joined(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& l : lines) out += l + "\n";
  return out;
}

TEST_F(WindowTest, EveryControlIsThereByItsNames) {
  start();
  int widgets = 0;
  for (const context::Control* c : ui.all()) {
    const QString name = qs(c->objectName());
    SCOPED_TRACE(c->inventoryName());
    switch (c->kind()) {
      case ControlKind::Form:
        EXPECT_EQ(window.objectName(), name);
        break;
      case ControlKind::Menu:
        ASSERT_NE(window.findChild<QMenu*>(name), nullptr);
        EXPECT_EQ(window.findChild<QMenu*>(name)->menuAction(), window.actionFor(*c));
        break;
      case ControlKind::MenuItem:
        ASSERT_NE(window.findChild<QAction*>(name), nullptr);
        EXPECT_EQ(window.findChild<QAction*>(name), window.actionFor(*c));
        break;
      case ControlKind::Timer:
        EXPECT_EQ(window.timer1().objectName(), name);
        EXPECT_EQ(window.widgetFor(*c), nullptr);
        break;
      case ControlKind::CommonDialog:
        // The save dialog opens on demand under this name; nothing stands for it before.
        EXPECT_EQ(window.widgetFor(*c), nullptr);
        EXPECT_EQ(window.findChild<QWidget*>(name), nullptr);
        break;
      default: {
        const QList<QWidget*> found = window.findChildren<QWidget*>(name);
        ASSERT_EQ(found.size(), 1);
        EXPECT_EQ(found.front(), window.widgetFor(*c));
        EXPECT_EQ(found.front()->accessibleDescription(), qs(c->inventoryName()));
        EXPECT_FALSE(found.front()->accessibleName().isEmpty());
        ++widgets;
      }
    }
  }
  EXPECT_GT(widgets, 400);
}

TEST_F(WindowTest, AccessibleNamesAreCaptionsOrDescriptions) {
  start();
  EXPECT_EQ(widget(ui.Command1[7])->accessibleName(), "READCELLVOLT");
  EXPECT_EQ(widget(ui.Text1[3])->accessibleName(), "CELL4 voltage");
  EXPECT_EQ(widget(ui.Text1[3])->accessibleDescription(), "Text1(3)");
  EXPECT_EQ(widget(ui.Shape1[13])->accessibleName(), "Board 2 cell 2");
  EXPECT_EQ(widget(ui.Command2[3])->accessibleName(), "VOV up");
  EXPECT_EQ(widget(ui.Frame1[11])->accessibleName(), "CELL12");
  EXPECT_EQ(widget(ui.Label9[1])->accessibleName(), qs(ui.Label9[1].caption()));
}

TEST_F(WindowTest, OpensWithTheCaptionsTipsAndStatesOfTheModel) {
  start();
  EXPECT_EQ(window.windowTitle(), "ZAZUVER KESTRAV-2 HEV BATTERY MONITOR MINI GUI");
  auto* read = qobject_cast<QPushButton*>(widget(ui.Command1[7]));
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(read->text(), "READCELLVOLT");
  EXPECT_EQ(read->toolTip(), "0x04 RDCV");
  auto* continuous = qobject_cast<QPushButton*>(widget(ui.Command1[10]));
  EXPECT_EQ(continuous->text(), "START\nCONTINUOUS\nREAD CELLS");
  EXPECT_EQ(continuous->toolTip(), "CONTINUOUS  READ = 1) STCVAD and RDCV. 2) STTMPAD and  RDTMP. 3) RDFLG.");
  EXPECT_TRUE(continuous->isVisible());
  for (int i = 11; i <= 13; ++i) EXPECT_FALSE(widget(ui.Command1[i])->isVisible()) << i;
  EXPECT_EQ(widget(ui.Command1[11])->geometry(), continuous->geometry());

  EXPECT_EQ(widget(ui.Text2[0])->toolTip(), "Set VUV");
  EXPECT_EQ(widget(ui.Text2[1])->toolTip(), "Set VOV");
  EXPECT_FALSE(qobject_cast<QLineEdit*>(widget(ui.Text2[1]))->isReadOnly());
  EXPECT_TRUE(qobject_cast<QLineEdit*>(widget(ui.Text1[0]))->isReadOnly());
  EXPECT_EQ(qobject_cast<QLineEdit*>(widget(ui.Text1[0]))->text(), qs(ui.Text1[0].text()));
  EXPECT_EQ(widget(ui.Check_AUTO)->toolTip(), "Auto Retry Command on Detection of CRC8 (PEC) Error");
  EXPECT_TRUE(qobject_cast<QCheckBox*>(widget(ui.Check_AUTO))->isChecked());  // ticked by start-up
  EXPECT_EQ(qobject_cast<QLabel*>(widget(ui.Label_IDstring))->text(), "KESTRAV-2");
  EXPECT_EQ(qobject_cast<QGroupBox*>(widget(ui.Frame7))->title(), "PACKET ERROR CODE ");
  EXPECT_EQ(qobject_cast<QCheckBox*>(widget(ui.Check0[4]))->text(),
            "LVLPL (LeVeL PolL SDO) CFGR0 (Bit 4)   1 = Level Poll, 0 = Toggle Poll.");
  EXPECT_EQ(qobject_cast<QComboBox*>(widget(ui.Combo2))->count(), 16);

  EXPECT_EQ(window.actionFor(ui.mnuFile)->text(), "File");
  EXPECT_EQ(window.actionFor(ui.mnuExit)->text(), "&Exit");
  EXPECT_EQ(window.actionFor(ui.mnuDatalog)->text(), "Datalog");
  EXPECT_TRUE(window.actionFor(ui.mnuCreateNewSetup)->isEnabled());
  EXPECT_FALSE(window.actionFor(ui.mnuUsePreviousSetup)->isEnabled());
  EXPECT_FALSE(window.actionFor(ui.mnuViewLastDatalog)->isEnabled());
  const QList<QAction*> menus = window.menuBar()->actions();
  ASSERT_EQ(menus.size(), 2);
  EXPECT_EQ(menus[1]->menu()->actions().size(), 3);
}

TEST_F(WindowTest, TimerRunsExactlyWhileTheModelEnablesIt) {
  EXPECT_FALSE(window.timer1().isActive());  // created stopped
  start();
  EXPECT_TRUE(window.timer1().isActive());
  EXPECT_EQ(window.timer1().interval(), 100);
  onCore([&] { ui.Timer1.setEnabled(false); });
  EXPECT_FALSE(window.timer1().isActive());
}

TEST_F(WindowTest, RenderTouchesOnlyWhatChanged) {
  start();
  // The window's activation gives its first control the focus, an event of
  // its own that repaints that control: over before the counting starts.
  QApplication::setActiveWindow(&window);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  settle();
  window.render();
  EXPECT_EQ(window.lastRenderCount(), 0);

  onCore([&] { ui.Timer1.setEnabled(false); });  // no tick in between
  onCore([&] { ui.Text1[3].setText(" 3.601V  "); });
  EXPECT_EQ(window.lastRenderCount(), 1);
  EXPECT_EQ(qobject_cast<QLineEdit*>(widget(ui.Text1[3]))->text(), " 3.601V  ");

  // A tick whose identification reads the same name changes nothing on
  // screen. The bridge answers slowly, as on a loaded machine: the render
  // that counts is the one of the model the tick published, however long
  // the tick took.
  onCore([&] {
    port->onIdentify = [] { std::this_thread::sleep_for(std::chrono::milliseconds(30)); };
    ui.Timer1.setEnabled(true);
  });
  const int before = port->identifications;
  QTRY_VERIFY_WITH_TIMEOUT(port->identifications > before, 5000);
  settle();  // the tick under way has published and its render has run
  EXPECT_EQ(window.lastRenderCount(), 0);
}

TEST_F(WindowTest, PositionsTheRoutinesChangeMoveTheWidgets) {
  start();
  auto centreX = [&](const context::Control& c) {
    const QWidget* w = widget(c);
    return w->mapTo(&window, w->rect().center()).x();
  };
  onCore([&] { ui.Combo1.setListIndex(9); });  // ten boards: every column shows
  for (int k : {0, 4, 9}) {
    onCore([&] { ui.Image1.setLeft(504 + 24 * k); });
    EXPECT_NEAR(centreX(ui.Image1), centreX(ui.Shape1[k * 12]), 1) << k;
  }
  for (int k : {0, 5, 9}) {
    onCore([&] { ui.Label9[1].setLeft(536 + 24 * k); });
    const QWidget* legend = widget(ui.Label9[1]);
    const QWidget* column = widget(ui.Shape1[k * 12]);
    // Right beside the column (the columns further right are hidden then).
    EXPECT_GT(legend->geometry().left(), column->geometry().right()) << k;
    EXPECT_LT(legend->geometry().left() - column->geometry().right(), 12) << k;
  }
  onCore([&] { ui.Check5[2].setWidth(113); });
  const int wide = widget(ui.Check5[2])->width();
  onCore([&] { ui.Check5[2].setWidth(57); });
  EXPECT_GT(wide, widget(ui.Check5[2])->width());
  EXPECT_LT(widget(ui.Check5[2])->geometry().right(), widget(ui.Label19[2])->geometry().left());

  // The status bar stands on the bottom of the cell; its top shows the state.
  auto bar = [&](int top, int height) {
    onCore([&] {
      ui.Shape2[0].setTop(top);
      ui.Shape2[0].setHeight(height);
    });
    return widget(ui.Shape2[0])->geometry();
  };
  const QRect ok = bar(600, 255), shortBar = bar(720, 135), ov = bar(480, 375), mi = bar(360, 495);
  EXPECT_EQ(ok.bottom(), shortBar.bottom());
  EXPECT_EQ(ok.bottom(), ov.bottom());
  EXPECT_EQ(ok.bottom(), mi.bottom());
  EXPECT_LT(shortBar.height(), ok.height());
  EXPECT_LT(ok.height(), ov.height());
  EXPECT_LT(ov.height(), mi.height());
  EXPECT_TRUE(widget(ui.Shape4[0])->geometry().contains(mi));
}

TEST_F(WindowTest, FitsTheScreenWithNothingClippedOrOverlapping) {
  start();
  EXPECT_LE(window.frameGeometry().width(), 1280);
  EXPECT_LE(window.sizeHint().height() + 30, 800);  // room for a title bar
  EXPECT_EQ(layoutProblems(window), std::vector<std::string>{}) << joined(layoutProblems(window));
}

TEST_F(WindowTest, LongestCaptionsTheRoutinesWriteStillFit) {
  start();
  onCore([&] {
  ui.Combo1.setListIndex(9);
  ui.Label1.setCaption("B O A R D # 1 0");
  ui.Label14.setCaption("SET/ DISPLAY BOARD#10 AT HEX ADDRESS");
  ui.Label13[0].setCaption("CUSTOM  BOARD #10");
  for (context::Control& c : ui.Label18) c.setCaption("BOARD#10 ONLY");
  for (context::Control& c : ui.Label19) c.setCaption("BRD#10");
  for (int i = 0; i < 6; i += 2) ui.Check5[i].setValue(1);
  ui.Label_AUTOstatus.setCaption("DISPLAY ALL DATA TRANSFERS!");
  ui.Command1[10].setCaption("            STOP                    CONTINUOUS              READ CELLS");
  ui.Command1[11].setCaption("PAUSE D-LOG");
  ui.Command1[13].setToolTip("C:\\a very long path\\of a datalog workbook.xls");
  for (int i = 11; i <= 13; ++i) ui.Command1[i].setVisible(true);
  ui.Command1[10].setVisible(false);
  for (context::Control& c : ui.Text1) c.setText(" 6.144V  ");
  for (context::Control& c : ui.Text6) c.setText(" 6.144V  ");
  for (context::Control& c : ui.Text4) c.setText("   FF   ");
  for (context::Control& c : ui.Text5) c.setText("   FF   ");
  for (context::Control& c : ui.Text7) c.setText("  FF   ");
  ui.Text8.setText("0xFF != 0xFF");
  ui.Label8[1].setCaption("RDTMP");
  ui.Text2[0].setText("6.120V ");
  ui.Text3.setText(
      "|      Standby Mode      |                                        |                   N/A                  | "
      "|      Monitor Mode       |                                       |           (Cell Voltage)           |  ");
  ui.Label12.setCaption("BOARD#   1      2      3      4      5      6      7      8      9     10");
  ui.Label15.setCaption("ADDRESS 8F    8F    8F    8F    8F    8F    8F    8F    8F    8F");
  });
  EXPECT_EQ(layoutProblems(window), std::vector<std::string>{}) << joined(layoutProblems(window));
}

// Paints of a widget as they happen, with the text it showed each time.
class PaintRecorder : public QObject {
 public:
  explicit PaintRecorder(QWidget* w) : w_(w) { w->installEventFilter(this); }
  std::vector<QString> shown;

 protected:
  bool eventFilter(QObject* o, QEvent* e) override {
    if (o == w_ && e->type() == QEvent::Paint) {
      auto* label = qobject_cast<QLabel*>(w_);
      shown.push_back(label != nullptr ? label->text() : w_->accessibleName());
    }
    return false;
  }

 private:
  QWidget* w_;
};

// The export blocks the event loop; the notice must be on screen before it
// starts, not only in the model.
TEST_F(WindowTest, TheTransferNoticeIsOnScreenDuringTheExport) {
  start();
  QWidget* status = widget(ui.Label_AUTOstatus);
  ASSERT_NE(status, nullptr);
  QApplication::processEvents();
  PaintRecorder paints(status);
  std::string written;
  onCore([&] {
    monitor.datalog.DATACOLLECTflag = 1;
    monitor.datalog.DATApoint = 1;
    ui.Command1[12].raiseClick();  // STOP: the last datalog is exported
    written = monitor.datalog.LastDATAlog;
    // In the same event, so no tick runs in between: no cycle for the ticks
    // after it, whose reads the fake bridge would leave unanswered (a
    // message box nobody closes).
    monitor.stack.OnOff = 0;
  });
  EXPECT_NE(std::find(paints.shown.begin(), paints.shown.end(),
                      QString("WAIT FOR DATA TRANSFER TO EXCEL TO LAST DATALOG.")),
            paints.shown.end());
  ASSERT_FALSE(written.empty());
  std::remove(written.c_str());
}

}  // namespace
}  // namespace kestrav::test
