#pragma once
// The windows of the View menu beside the main window: one Trends and one
// Bridge Traffic window, made on first use; opening one again brings it to
// the front.

#include <QMainWindow>
#include <QPointer>

#include "context/Clock.h"
#include "gui/TrafficWindow.h"
#include "gui/TrendsWindow.h"
#include "history/HistoryStore.h"
#include "history/TrafficLog.h"

namespace kestrav::gui {

class ViewWindows {
 public:
  ViewWindows(const history::HistoryStore& history, const history::TrafficLog& traffic, context::Clock& clock);
  ~ViewWindows();

  // Adds the menu "View" (items "Trends", "Bridge Traffic") at the end of
  // the window's menu bar.
  void addMenuTo(QMainWindow& window);

  TrendsWindow& showTrends();
  TrafficWindow& showTraffic();
  // The lab telemetry's state for the Bridge Traffic window's counts line.
  void setTelemetryState(std::function<std::string()> state) { telemetryState_ = std::move(state); }

 private:
  const history::HistoryStore& history_;
  const history::TrafficLog& traffic_;
  context::Clock& clock_;
  QPointer<TrendsWindow> trends_;
  QPointer<TrafficWindow> trafficWindow_;
  std::function<std::string()> telemetryState_;
};

}  // namespace kestrav::gui
