#pragma once
// The Bridge Traffic window: every transaction with the bridge as it
// happens, newest at the bottom; follow or pause, filter by board address
// and by command, copy the selected lines (as the trace file writes them),
// and the counts of transactions, PEC mismatches and incomplete replies
// since the start. A view of history::TrafficLog: it polls the log.

#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <string>

#include "history/TrafficLog.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QTableView;

namespace kestrav::gui {

class TrafficModel;

class TrafficWindow : public QWidget {
  Q_OBJECT

 public:
  explicit TrafficWindow(const history::TrafficLog& log, QWidget* parent = nullptr);

  // Takes what the log got since the last poll (unless paused) and the counts.
  void poll();
  void setPaused(bool paused);
  void setAddressFilter(const QString& address);  // "", "broadcast" or "81".."8F"
  void setCommandFilter(const QString& command);  // "" or "RDCV" ...
  // The selected rows as trace lines, one per line; also put on the clipboard.
  QString copySelection();

  QTableView* view() const { return view_; }
  TrafficModel* model() const { return model_; }
  QLabel* countsLabel() const { return counts_; }
  // The lab telemetry's state ("MQTT connected", ...), shown after the
  // counts; nothing for a program that does not publish.
  void setTelemetryState(std::function<std::string()> state) { telemetryState_ = std::move(state); poll(); }

 private:
  void applyFilter();

  const history::TrafficLog& log_;
  QTimer poll_;
  std::uint64_t lastSequence_ = 0;
  bool paused_ = false;
  TrafficModel* model_ = nullptr;
  QTableView* view_ = nullptr;
  QComboBox* addressBox_ = nullptr;
  QComboBox* commandBox_ = nullptr;
  QPushButton* pauseButton_ = nullptr;
  QPushButton* copyButton_ = nullptr;
  QLabel* counts_ = nullptr;
  std::function<std::string()> telemetryState_;
};

}  // namespace kestrav::gui
