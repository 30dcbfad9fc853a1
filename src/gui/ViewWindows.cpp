#include "gui/ViewWindows.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace kestrav::gui {

namespace {
void bringToFront(QWidget& w) {
  w.show();
  w.setWindowState((w.windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
  w.raise();
  w.activateWindow();
}
}  // namespace

ViewWindows::ViewWindows(const history::HistoryStore& history, const history::TrafficLog& traffic,
                         context::Clock& clock)
    : history_(history), traffic_(traffic), clock_(clock) {}

ViewWindows::~ViewWindows() {
  delete trends_.data();
  delete trafficWindow_.data();
}

void ViewWindows::addMenuTo(QMainWindow& window) {
  QMenu* menu = window.menuBar()->addMenu("View");
  menu->setObjectName("mnuView");
  QAction* trends = menu->addAction("Trends");
  trends->setObjectName("mnuTrends");
  QAction* traffic = menu->addAction("Bridge Traffic");
  traffic->setObjectName("mnuBridgeTraffic");
  QObject::connect(trends, &QAction::triggered, menu, [this] { showTrends(); });
  QObject::connect(traffic, &QAction::triggered, menu, [this] { showTraffic(); });
}

TrendsWindow& ViewWindows::showTrends() {
  if (!trends_) trends_ = new TrendsWindow(history_, clock_);
  bringToFront(*trends_);
  return *trends_;
}

TrafficWindow& ViewWindows::showTraffic() {
  if (!trafficWindow_) {
    trafficWindow_ = new TrafficWindow(traffic_);
    if (telemetryState_) trafficWindow_->setTelemetryState(telemetryState_);
  }
  bringToFront(*trafficWindow_);
  return *trafficWindow_;
}

}  // namespace kestrav::gui
