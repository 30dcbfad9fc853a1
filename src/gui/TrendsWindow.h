#pragma once
// The Trends window: how the cells of the stack move over time. A chart of
// one board's cell voltages over a chosen span with that board's VUV and
// VOV thresholds, each cell's legend entry filled with the colour of its
// present status; a live table of every board (lowest and highest cell,
// spread, mean, total) with the stack total, marking boards whose spread is
// above a threshold the user sets. A view of history::HistoryStore only: it
// polls the store and never calls into the core.

#include <QPointF>
#include <QTimer>
#include <QWidget>
#include <array>
#include <chrono>
#include <cstdint>

#include "context/Clock.h"
#include "history/HistoryStore.h"

class QChart;
class QChartView;
class QComboBox;
class QDateTimeAxis;
class QLabel;
class QLineSeries;
class QPushButton;
class QSpinBox;
class QTableWidget;
class QValueAxis;

namespace kestrav::gui {

// The spans the window offers; the last one is everything kept.
struct TrendSpan {
  const char* caption;
  std::chrono::seconds length;  // 0 for all
};
inline constexpr std::array<TrendSpan, 5> kTrendSpans{{
    {"1 min", std::chrono::seconds(60)},
    {"10 min", std::chrono::seconds(600)},
    {"1 h", std::chrono::seconds(3600)},
    {"24 h", std::chrono::seconds(86400)},
    {"all", std::chrono::seconds(0)},
}};

// Points a cell's line is drawn with at most; longer spans are thinned with
// their extremes kept. 300 slices of a plot under 800 pixels wide: each
// slice is two or three pixels, so nothing visible is lost, while the chart's
// cost (it strokes every line again for hit-testing the pointer) stays low.
inline constexpr std::size_t kMaxPointsPerSeries = 600;

class TrendsWindow : public QWidget {
  Q_OBJECT

 public:
  TrendsWindow(const history::HistoryStore& store, context::Clock& clock, QWidget* parent = nullptr);

  // Redraws from the store: chart and table. Called by the poll timer and
  // whenever a choice changes.
  void refresh();

  void setBoard(int board);         // 0..9
  void setSpan(int spanIndex);      // index into kTrendSpans
  void setSpreadThresholdMv(int mv);

  bool savePng(const QString& path);
  bool saveCsv(const QString& path);

  // For tests and the accessibility tree.
  QChart* chart() const { return chart_; }
  QTableWidget* table() const { return table_; }
  QLabel* stackTotalLabel() const { return stackTotal_; }
  QLabel* hoverLabel() const { return hover_; }
  int visibleCellSeries() const;
  QLineSeries* cellSeries(int cell) const { return cells_[static_cast<std::size_t>(cell)]; }
  QLineSeries* vuvSeries() const { return vuv_; }
  QLineSeries* vovSeries() const { return vov_; }
  // What hovering a point of a cell's line shows.
  static QString hoverText(int cell, const QPointF& point);

 private:
  void buildControls();
  void buildChart();
  void redrawChart();
  void redrawTable();
  void colourLegend();
  std::pair<context::TimePoint, context::TimePoint> span() const;
  void chooseSaveFile(bool png);

  const history::HistoryStore& store_;
  context::Clock& clock_;
  QTimer poll_;
  int board_ = 0;
  int spanIndex_ = 2;
  int thresholdMv_ = 50;
  std::uint64_t drawnRevision_ = ~std::uint64_t{0};

  QComboBox* boardBox_ = nullptr;
  QComboBox* spanBox_ = nullptr;
  QSpinBox* thresholdBox_ = nullptr;
  QPushButton* savePngButton_ = nullptr;
  QPushButton* saveCsvButton_ = nullptr;
  QChart* chart_ = nullptr;
  QChartView* chartView_ = nullptr;
  QDateTimeAxis* timeAxis_ = nullptr;
  QValueAxis* voltAxis_ = nullptr;
  std::array<QLineSeries*, 12> cells_{};
  QLineSeries* vuv_ = nullptr;
  QLineSeries* vov_ = nullptr;
  QLabel* hover_ = nullptr;
  QTableWidget* table_ = nullptr;
  QLabel* stackTotal_ = nullptr;
};

}  // namespace kestrav::gui
