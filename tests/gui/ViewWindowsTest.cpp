// The Trends and Bridge Traffic windows against the stores a running
// simulated cycle fed, offscreen; and the View menu that opens them.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QChart>
#include <QClipboard>
#include <QFile>
#include <QLabel>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QMenu>
#include <QMenuBar>
#include <QTableView>
#include <QTableWidget>

#include "WindowFixture.h"
#include "app/Events.h"
#include "gui/TrafficModel.h"
#include "gui/ViewWindows.h"
#include "history/HistoryStore.h"
#include "history/TrafficLog.h"
#include "history/TransactionTap.h"
#include "link/ports/SimulatedPort.h"
#include "support/FakeDesktop.h"

namespace kestrav::test {
namespace {

using namespace std::chrono_literals;

// A program on the simulator with the stores attached, its cycle run for a
// number of ticks on a clock that moves 100 ms per tick.
struct SimulatedRun {
  FakeDesktop desktop;
  FixedClock clock;
  history::HistoryStore history;
  history::TrafficLog traffic;
  history::TransactionTap tap{clock};
  std::shared_ptr<sim::Simulator> simulator;
  std::unique_ptr<context::Monitor> m;

  explicit SimulatedRun(int boards, sim::SimOptions options = {}) {
    simulator = std::make_shared<sim::Simulator>(std::move(options));
    m = std::make_unique<context::Monitor>(std::make_unique<link::SimulatedPort>(simulator, false), desktop, clock);
    tap.add(traffic);
    m->link.setObserver(&tap);
    m->readingObserver = &history;
    app::wireMainWindow(*m);
    app::loadMainWindow(*m);
    m->ui.Combo1.setListIndex(boards - 1);
    m->ui.Command1[10].raiseClick();
  }
  void ticks(int n) {
    for (int i = 0; i < n; ++i) {
      clock.when += 100ms;
      app::timerTick(*m);
    }
  }
};

// Full size to look at, and 800 pixels wide as the README shows it (docs/).
void saveScreenshot(QWidget& w, const QString& name) {
  w.show();
  QApplication::processEvents();
  const QPixmap shot = w.grab();
  EXPECT_TRUE(shot.save(WindowTest::artifactPath(name + ".png")));
  const QImage small = shot.scaledToWidth(800, Qt::SmoothTransformation)
                           .toImage()
                           .convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither | Qt::AvoidDither);
  EXPECT_TRUE(small.save(WindowTest::artifactPath(name + "-small.png"), "PNG", 9));
}

TEST(TrendsWindow, ChartAndTableShowWhatTheStoreHolds) {
  SimulatedRun run(10);
  run.ticks(6000);  // ten minutes: 200 passes over ten boards
  gui::TrendsWindow w(run.history, run.clock);
  w.setSpan(1);  // 10 min: everything of this run
  w.setBoard(2);

  const auto cells = run.history.cells(2, run.clock.when - 600s, run.clock.when);
  ASSERT_EQ(cells.size(), 200u);
  EXPECT_EQ(w.visibleCellSeries(), 12);
  for (int c = 0; c < 12; ++c) {
    ASSERT_EQ(w.cellSeries(c)->count(), 200) << c;
    EXPECT_FLOAT_EQ(static_cast<float>(w.cellSeries(c)->at(199).y()), cells.back().volts[static_cast<std::size_t>(c)]);
  }
  // The legend of a cell carries its present status (read: OK, green).
  const auto marker = w.chart()->legend()->markers(w.cellSeries(0)).front();
  EXPECT_EQ(marker->brush().color(), QColor(0, 255, 0));
  EXPECT_EQ(marker->label(), "CELL1 OK");

  const auto summaries = run.history.summaries(run.clock.when - 600s, run.clock.when);
  QTableWidget* t = w.table();
  int shown = 0;
  for (int row = 0; row < t->rowCount(); ++row) shown += t->isRowHidden(row) ? 0 : 1;
  EXPECT_EQ(shown, 10);
  const history::BoardSummary& s = summaries[2];
  EXPECT_EQ(t->item(2, 1)->text(), QString("CELL%1  %2 V").arg(s.lowestCell).arg(static_cast<double>(s.lowest), 0, 'f', 3));
  EXPECT_EQ(t->item(2, 3)->text(), QString::number(static_cast<double>(s.spreadMv()), 'f', 1));
  EXPECT_EQ(t->item(2, 5)->text(), QString::number(static_cast<double>(s.total), 'f', 3));
  EXPECT_TRUE(t->item(2, 0)->toolTip().startsWith("Over the chosen span (200 readings): lowest "));
  EXPECT_EQ(w.stackTotalLabel()->text(),
            QString("STACK TOTAL   %1 V").arg(static_cast<double>(*run.history.stackTotal()), 0, 'f', 3));
  saveScreenshot(w, "trends-window");
}

TEST(TrendsWindow, SpreadAboveTheThresholdMarksTheBoardAndTenCellModeShowsTen) {
  history::HistoryStore store;
  FixedClock clock;
  std::array<std::uint16_t, 12> codes{};
  codes.fill(2400);
  codes[3] = 2340;  // about 90 mV below the others
  context::BoardSettings ten;
  ten.tenCells = true;
  ten.vuvVolts = 3.0f;
  ten.vovVolts = 4.2f;
  store.cellsRead(clock.when, 0, codes, ten);
  gui::TrendsWindow w(store, clock);
  w.setSpan(0);
  EXPECT_EQ(w.visibleCellSeries(), 10);
  EXPECT_TRUE(w.vuvSeries()->isVisible());
  EXPECT_DOUBLE_EQ(w.vovSeries()->at(0).y(), static_cast<double>(4.2f));
  EXPECT_TRUE(w.table()->item(0, 0)->text().contains("SPREAD > 50 mV"));
  w.setSpreadThresholdMv(100);
  EXPECT_FALSE(w.table()->item(0, 0)->text().contains("SPREAD"));
  EXPECT_EQ(w.table()->item(0, 0)->text(), "BRD# 1");
}

TEST(TrendsWindow, SavesThePngAndTheSpanAsCsvAndTellsThePointUnderThePointer) {
  SimulatedRun run(2);
  run.ticks(60);
  gui::TrendsWindow w(run.history, run.clock);
  w.setSpan(0);
  const QString png = WindowTest::artifactPath("trends-chart-saved.png");
  ASSERT_TRUE(w.savePng(png));
  EXPECT_GT(QFile(png).size(), 1000);
  const QString csv = WindowTest::artifactPath("trends-span.csv");
  ASSERT_TRUE(w.saveCsv(csv));
  QFile f(csv);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const QList<QByteArray> rows = f.readAll().split('\n');
  EXPECT_TRUE(rows[0].startsWith("ISO TIME,BOARD,CELL1,"));
  EXPECT_EQ(rows.size(), 1 + 10 + 1);  // header, ten passes over two boards, empty tail
  EXPECT_FALSE(w.saveCsv("/nonexistent-folder/x.csv"));

  const QDateTime t = QDateTime::fromString("2026-12-07T14:05:09.412", Qt::ISODateWithMs);
  EXPECT_EQ(gui::TrendsWindow::hoverText(5, QPointF(static_cast<qreal>(t.toMSecsSinceEpoch()), 3.4121)),
            "2026-12-07 14:05:09.412   CELL5   3.412 V");
}

TEST(TrafficWindow, LinesFiltersPauseAndCopy) {
  sim::SimOptions options;
  options.corruptShare = 0.2;
  options.seed = 7;
  SimulatedRun run(3, options);
  run.m->ui.Check_AUTO.setValue(0);  // show every transfer, mismatches included
  run.ticks(90);
  gui::TrafficWindow w(run.traffic);
  const history::TrafficCounts counts = run.traffic.counts();
  EXPECT_EQ(w.model()->rowCount(), static_cast<int>(counts.transactions));
  EXPECT_GT(counts.mismatches, 0u);
  EXPECT_EQ(w.countsLabel()->text(), QString("Transactions: %1     PEC mismatches: %2     Incomplete replies: %3")
                                         .arg(counts.transactions)
                                         .arg(counts.mismatches)
                                         .arg(counts.incomplete));
  saveScreenshot(w, "traffic-window");

  w.setAddressFilter("83");
  ASSERT_GT(w.model()->rowCount(), 0);
  for (int r = 0; r < w.model()->rowCount(); ++r) EXPECT_EQ(history::addressOf(w.model()->entry(r).written), "83");
  w.setCommandFilter("RDCV");
  const int rdcvOf83 = w.model()->rowCount();
  EXPECT_EQ(rdcvOf83, 10);  // one per pass
  w.setAddressFilter("broadcast");
  w.setCommandFilter("STCVAD");
  EXPECT_EQ(w.model()->rowCount(), 30);  // the cycle's conversion starts go out as broadcasts

  w.setCommandFilter("");
  w.setAddressFilter("");
  const int before = w.model()->rowCount();
  w.setPaused(true);
  run.ticks(3);
  w.poll();
  EXPECT_EQ(w.model()->rowCount(), before);
  EXPECT_TRUE(w.countsLabel()->text().contains("(paused)"));
  w.setPaused(false);
  EXPECT_GT(w.model()->rowCount(), before);
  EXPECT_EQ(w.model()->entry(w.model()->rowCount() - 1).sequence, run.traffic.counts().transactions);

  w.view()->selectRow(0);
  w.view()->selectionModel()->select(w.model()->index(2, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
  const QString copied = w.copySelection();
  EXPECT_EQ(copied, QString::fromStdString(history::traceLine(w.model()->entry(0)) + "\n" +
                                           history::traceLine(w.model()->entry(2))));
  EXPECT_EQ(QApplication::clipboard()->text(), copied);
}

TEST(TrafficWindow, CountsLineEndsWithTheTelemetryState) {
  SimulatedRun run(2);
  run.ticks(20);
  gui::TrafficWindow w(run.traffic);
  const QString counts = w.countsLabel()->text();
  std::string state = "MQTT buffering 12";
  w.setTelemetryState([&state] { return state; });
  EXPECT_EQ(w.countsLabel()->text(), counts + "     MQTT buffering 12");
  state = "MQTT connected";
  w.poll();
  EXPECT_EQ(w.countsLabel()->text(), counts + "     MQTT connected");
  saveScreenshot(w, "traffic-window-mqtt");
  // The longest line the telemetry tells wraps inside the window.
  state = "MQTT: mqtts://broker.lab.example.org:8883 answers but its TLS certificate is refused (it does not "
          "verify against /etc/kestrav/lab-ca.pem, or names another host)";
  w.poll();
  QApplication::processEvents();
  EXPECT_LE(w.countsLabel()->sizeHint().width(), w.width());
  EXPECT_LE(w.countsLabel()->geometry().right(), w.width());
  saveScreenshot(w, "traffic-window-mqtt-error");
}

TEST(TrafficModel, KeepsTheNewestAndDropsFilteredRowsWithTheirEntries) {
  gui::TrafficModel model(5);
  std::vector<history::TrafficEntry> batch;
  for (int i = 1; i <= 8; ++i) {
    history::TrafficEntry e;
    e.sequence = static_cast<std::uint64_t>(i);
    e.written = i % 2 ? "MSxT81T04RRRRRRRRRRRRRRRRRRRX" : "MSxT82T04RRRRRRRRRRRRRRRRRRRX";
    batch.push_back(e);
  }
  model.setFilter({"81", ""});
  model.append(batch);
  ASSERT_EQ(model.rowCount(), 2);  // entries 5 and 7 of the kept 4..8
  EXPECT_EQ(model.entry(0).sequence, 5u);
  model.setFilter({});
  EXPECT_EQ(model.rowCount(), 5);
  EXPECT_EQ(model.entry(0).sequence, 4u);
}

// The main window as kestrav-gui builds it, with the core on its thread.
using ViewMenu = WindowTest;

TEST_F(ViewMenu, ComesAfterDatalogAndOpensOneWindowOfEachBroughtToFront) {
  history::HistoryStore store;
  history::TrafficLog log;
  gui::ViewWindows views(store, log, clock);
  views.addMenuTo(window);
  const QList<QAction*> menus = window.menuBar()->actions();
  ASSERT_EQ(menus.size(), 3);
  EXPECT_EQ(menus[2]->text(), "View");
  EXPECT_EQ(menus[1]->menu()->objectName(), "mnuDatalog");
  const QList<QAction*> items = menus[2]->menu()->actions();
  ASSERT_EQ(items.size(), 2);
  EXPECT_EQ(items[0]->text(), "Trends");
  EXPECT_EQ(items[1]->text(), "Bridge Traffic");

  items[0]->trigger();
  items[0]->trigger();
  items[1]->trigger();
  int trends = 0, traffic = 0;
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (w->objectName() == "TrendsWindow") {
      ++trends;
      EXPECT_TRUE(w->isVisible());
    }
    if (w->objectName() == "TrafficWindow") {
      ++traffic;
      EXPECT_TRUE(w->isVisible());
    }
  }
  EXPECT_EQ(trends, 1);
  EXPECT_EQ(traffic, 1);
  EXPECT_EQ(&views.showTrends(), &views.showTrends());
}

// Every new widget names itself to assistive technology, and both windows
// fit a 1280 x 800 screen.
TEST(ViewWindows, AccessibleNamesAndDescriptionsAndASizeThatFits) {
  history::HistoryStore store;
  history::TrafficLog log;
  FixedClock clock;
  gui::TrendsWindow trends(store, clock);
  gui::TrafficWindow traffic(log);
  for (QWidget* top : std::initializer_list<QWidget*>{&trends, &traffic}) {
    EXPECT_LE(top->width(), 1280);
    EXPECT_LE(top->height(), 800 - 60);  // room for a title bar and a panel
    for (QWidget* w : top->findChildren<QWidget*>()) {
      if (w->objectName().isEmpty() || w->objectName().startsWith("qt_")) continue;
      EXPECT_FALSE(w->accessibleName().isEmpty()) << w->objectName().toStdString();
      EXPECT_FALSE(w->accessibleDescription().isEmpty()) << w->objectName().toStdString();
    }
  }
}

}  // namespace
}  // namespace kestrav::test
