// Pictures of the window for a human to look at (written to
// gui-screenshots/ in the build folder), taken in the states that move
// controls around.

#include <QPixmap>
#include <QPushButton>
#include <QTimer>
#include <QTest>

#include "WindowFixture.h"
#include "link/ports/SimulatedPort.h"
#include "sim/Simulator.h"

namespace kestrav::test {
namespace {

using ScreenshotTest = WindowTest;

TEST_F(ScreenshotTest, StartedWindow) {
  start();
  const QPixmap shot = window.grab();
  EXPECT_LE(shot.width(), 1280);
  EXPECT_LE(shot.height(), 800);
  EXPECT_TRUE(shot.save(artifact("main-window.png")));
}

TEST_F(ScreenshotTest, BusyStack) {
  start();
  onCore([&] {
  ui.Combo1.setListIndex(2);  // three boards
  // A measurement cycle runs: conversions broadcast, single reads disabled.
  for (int i : {2, 4}) {
    ui.Check5[i].setValue(1);
    ui.Check5[i].setEnabled(false);
  }
  for (int i : {2, 7, 4, 9, 8}) ui.Command1[i].setEnabled(false);
  for (int i = 1; i <= 3; ++i) ui.Label18[i].setEnabled(false);
  const std::uint32_t colours[] = {0xFFFFFF, 0x00FF00, 0xFF8080, 0x00FFFF, 0x0000FF, 0xE0E0E0, 0x808080};
  for (int i = 0; i < 36; ++i) ui.Shape1[i].setFillColor(colours[(i * 5 + i / 12) % 7]);
  struct Bar { int top, height; std::uint32_t fill; };
  const Bar bars[] = {{600, 255, 0x00FF00}, {720, 135, 0xFF8080}, {720, 135, 0x00FFFF}, {480, 375, 0x0000FF},
                      {360, 495, 0xE0E0E0}, {720, 135, 0x808080}, {600, 255, 0xFFFFFF}};
  for (int i = 0; i < 12; ++i) {
    const Bar& b = bars[i % 7];
    ui.Shape2[i].setTop(b.top);
    ui.Shape2[i].setHeight(b.height);
    ui.Shape2[i].setFillColor(b.fill);
    ui.Shape4[i].setFillColor(b.fill == 0xFFFFFF ? 0xFFFFFF : 0xE0E0E0);
    ui.Text1[i].setText(" 3." + std::to_string(500 + i * 7) + "V  ");
  }
  for (int i = 0; i < 3; ++i) {
    ui.Shape6[i].setFillColor(0x0000FF);
    ui.Shape7[i].setFillColor(0x0000FF);
    ui.Shape8[i].setFillColor(0xE0E0E0);
    ui.Text6[i].setText(" 1.52" + std::to_string(i) + "V  ");
    ui.Text7[i].setText("  0" + std::to_string(i) + "   ");
  }
  ui.Shape12[0].setFillColor(0x00FF00);
  ui.Shape12[1].setFillColor(0x0000FF);
  ui.Text8.setText("0x5A != 0x3C");
  ui.Text8.setBackColor(0x0000FF);
  ui.Label8[1].setCaption("RDCV");
  ui.Shape3.setFillColor(0x00FF00);
  ui.Image1.setLeft(504 + 24 * 1);
  ui.Command1[10].setVisible(false);
  for (int i = 11; i <= 13; ++i) ui.Command1[i].setVisible(true);
  // Ten-cell mode: cells 11 and 12 and their register bits go.
  for (int i = 10; i < 12; ++i) {
    for (context::Control* c : {&ui.Shape2[i], &ui.Shape4[i], &ui.Shape5[i], &ui.Text1[i]}) c->setVisible(false);
    ui.Frame1[i].setCaption("");
  }
  for (context::Control* c : {&ui.Check2[2], &ui.Check2[3], &ui.Check3[6], &ui.Check3[7]}) c->setVisible(false);
  ui.Text3.setText(
      "|            2000mS            |                 No                  |                   20mS              | "
      "|                                     |                                       |                                          |  ");
  });
  EXPECT_TRUE(window.grab().save(artifact("main-window-busy.png")));
}

// The window on the simulator without its real-time pacing, started.
class SimulatedScreenshot : public WindowTest {
 protected:
  SimulatedScreenshot() : WindowTest(std::make_unique<link::SimulatedPort>(std::make_shared<sim::Simulator>(), false)) {}
  void SetUp() override { start(); }
};

// Ten boards after a configuration write, conversions and the single reads
// of the selected board.
TEST_F(SimulatedScreenshot, TenBoardsAfterTheReads) {
  onCore([&] { monitor.ui.Combo1.setListIndex(9); });
  // A message box of a read that gave up must not hold the test.
  QTimer dismiss;
  QObject::connect(&dismiss, &QTimer::timeout, [] {
    if (QWidget* box = QApplication::activeModalWidget()) box->close();
  });
  dismiss.start(200);
  for (int command : {5, 2, 7, 4, 9, 8, 6})
    QTest::mouseClick(window.widgetFor(monitor.ui.Command1[command]), Qt::LeftButton);
  settle();
  EXPECT_TRUE(window.grab().save(WindowTest::artifactPath("main-window-simulated.png")));
}

// Four boards with tight limits and a discharging cell, after one full pass
// of the continuous measurement.
TEST_F(SimulatedScreenshot, FourBoardsAfterACycle) {
  onCore([&] {
  ui.Combo1.setListIndex(3);
  // Limits around 3.6 V, for every board, written as one broadcast.
  for (int b = 0; b <= 3; ++b) {
    monitor.stack.board[b].VUVcode = 149;  // 3.576 V
    monitor.stack.board[b].VOVcode = 151;  // 3.624 V
  }
  ui.Command4[1].raiseClick();
  ui.Check1[2].setValue(1);  // discharge cell 3
  ui.Check5[5].setValue(1);
  ui.Command1[5].raiseClick();
  ui.Command4[0].raiseClick();
  ui.Command1[10].raiseClick();
  for (int tick = 0; tick < 3 * 4 + 1; ++tick) app::timerTick(monitor);
  });
  EXPECT_EQ(monitor.stack.OnOff, 1);
  EXPECT_TRUE(window.grab().save(WindowTest::artifactPath("main-window-cycle.png")));
}

}  // namespace
}  // namespace kestrav::test
