#include "gui/TrendsWindow.h"

#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QToolTip>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <fstream>

#include "display/CellStatusCodes.h"
#include "gui/Look.h"
#include "history/Envelope.h"
#include "history/SpanCsv.h"

namespace kestrav::gui {

namespace {

constexpr int kPollMs = 1000;

// Twelve lines that stay apart from each other on white.
const std::array<QColor, 12> kCellColours{
    QColor(0x1f, 0x77, 0xb4), QColor(0xff, 0x7f, 0x0e), QColor(0x2c, 0xa0, 0x2c), QColor(0xd6, 0x27, 0x28),
    QColor(0x94, 0x67, 0xbd), QColor(0x8c, 0x56, 0x4b), QColor(0xe3, 0x77, 0xc2), QColor(0x7f, 0x7f, 0x7f),
    QColor(0x9a, 0x9a, 0x00), QColor(0x17, 0xbe, 0xcf), QColor(0x00, 0x00, 0x80), QColor(0x80, 0x00, 0x40),
};
const QColor kVuvColour(0xB0, 0x80, 0x00);
const QColor kVovColour(0xC0, 0x00, 0x00);
const QColor kMarkedRow(0xFF, 0xD0, 0xD0);

enum Column { kBoard, kLowest, kHighest, kSpread, kMean, kTotal, kColumns };
const char* const kHeadings[kColumns] = {"BOARD", "LOWEST CELL", "HIGHEST CELL", "SPREAD (mV)", "MEAN (V)",
                                         "TOTAL (V)"};

QString boardCaption(int board) { return QString("BRD#%1").arg(board + 1, 2); }

QString cellValue(int cell, float volts) {
  return QString("CELL%1  %2 V").arg(cell).arg(static_cast<double>(volts), 0, 'f', 3);
}

qint64 msOf(context::TimePoint t) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(t.time_since_epoch()).count();
}

QLineSeries* dashedLine(const QString& name, const QColor& colour) {
  auto* s = new QLineSeries;
  s->setName(name);
  QPen pen(colour);
  pen.setStyle(Qt::DashLine);
  pen.setWidth(2);
  s->setPen(pen);
  return s;
}

}  // namespace

TrendsWindow::TrendsWindow(const history::HistoryStore& store, context::Clock& clock, QWidget* parent)
    : QWidget(parent, Qt::Window), store_(store), clock_(clock) {
  setObjectName("TrendsWindow");
  setWindowTitle("Trends");
  setAccessibleName("Trends");
  setAccessibleDescription("Cell voltages of one board over time and a live summary of every board of the stack");
  buildControls();
  resize(1000, 740);
  poll_.setInterval(kPollMs);
  connect(&poll_, &QTimer::timeout, this, &TrendsWindow::refresh);
  poll_.start();
  refresh();
}

void TrendsWindow::buildControls() {
  auto* top = new QHBoxLayout;
  auto* boardLabel = new QLabel("Board");
  boardBox_ = new QComboBox;
  boardBox_->setObjectName("trendsBoard");
  for (int b = 0; b < history::kHistoryBoards; ++b) boardBox_->addItem(boardCaption(b));
  boardBox_->setAccessibleName("Board");
  boardBox_->setAccessibleDescription("The board whose cell voltages the chart shows");
  boardLabel->setBuddy(boardBox_);

  auto* spanLabel = new QLabel("Span");
  spanBox_ = new QComboBox;
  spanBox_->setObjectName("trendsSpan");
  for (const TrendSpan& s : kTrendSpans) spanBox_->addItem(s.caption);
  spanBox_->setCurrentIndex(spanIndex_);
  spanBox_->setAccessibleName("Span");
  spanBox_->setAccessibleDescription("How far back the chart and the span figures reach");
  spanLabel->setBuddy(spanBox_);

  auto* thresholdLabel = new QLabel("Mark spread above");
  thresholdBox_ = new QSpinBox;
  thresholdBox_->setObjectName("trendsSpreadThreshold");
  thresholdBox_->setRange(1, 6144);
  thresholdBox_->setValue(thresholdMv_);
  thresholdBox_->setSuffix(" mV");
  thresholdBox_->setAccessibleName("Mark spread above");
  thresholdBox_->setAccessibleDescription("Boards whose spread between highest and lowest cell exceeds this are marked");
  thresholdLabel->setBuddy(thresholdBox_);

  savePngButton_ = new QPushButton("Save Chart...");
  savePngButton_->setObjectName("trendsSavePng");
  savePngButton_->setAccessibleName("Save Chart");
  savePngButton_->setAccessibleDescription("Saves the chart as a PNG picture");
  saveCsvButton_ = new QPushButton("Save CSV...");
  saveCsvButton_->setObjectName("trendsSaveCsv");
  saveCsvButton_->setAccessibleName("Save CSV");
  saveCsvButton_->setAccessibleDescription("Saves the shown span of the chosen board as a CSV file");

  for (QWidget* w : std::initializer_list<QWidget*>{boardLabel, boardBox_, spanLabel, spanBox_, thresholdLabel,
                                                    thresholdBox_})
    top->addWidget(w);
  top->addStretch();
  top->addWidget(savePngButton_);
  top->addWidget(saveCsvButton_);

  buildChart();

  hover_ = new QLabel(" ");
  hover_->setObjectName("trendsHover");
  hover_->setAccessibleName("Point under the pointer");
  hover_->setAccessibleDescription("Time, cell and voltage of the point the pointer rests on");

  table_ = new QTableWidget(history::kHistoryBoards, kColumns);
  table_->setObjectName("trendsTable");
  table_->setAccessibleName("Boards");
  table_->setAccessibleDescription(
      "Every board of the stack: lowest and highest cell, spread, mean and total of its latest reading");
  for (int c = 0; c < kColumns; ++c) table_->setHorizontalHeaderItem(c, new QTableWidgetItem(kHeadings[c]));
  table_->verticalHeader()->setVisible(false);
  table_->verticalHeader()->setDefaultSectionSize(20);
  table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setSelectionMode(QAbstractItemView::NoSelection);
  table_->setFixedHeight(20 * history::kHistoryBoards + table_->horizontalHeader()->sizeHint().height() + 4);
  for (int b = 0; b < history::kHistoryBoards; ++b)
    for (int c = 0; c < kColumns; ++c) table_->setItem(b, c, new QTableWidgetItem);

  stackTotal_ = new QLabel;
  stackTotal_->setObjectName("trendsStackTotal");
  stackTotal_->setAccessibleName("Stack total");
  stackTotal_->setAccessibleDescription("Sum of the latest totals of every board");
  stackTotal_->setFont(textFont(13, true));

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(chartView_, 1);
  layout->addWidget(hover_);
  layout->addWidget(table_);
  layout->addWidget(stackTotal_);

  connect(boardBox_, &QComboBox::currentIndexChanged, this, [this](int i) { setBoard(i); });
  connect(spanBox_, &QComboBox::currentIndexChanged, this, [this](int i) { setSpan(i); });
  connect(thresholdBox_, &QSpinBox::valueChanged, this, [this](int v) { setSpreadThresholdMv(v); });
  connect(savePngButton_, &QPushButton::clicked, this, [this] { chooseSaveFile(true); });
  connect(saveCsvButton_, &QPushButton::clicked, this, [this] { chooseSaveFile(false); });
}

void TrendsWindow::buildChart() {
  chart_ = new QChart;
  chart_->setAnimationOptions(QChart::NoAnimation);
  chart_->legend()->setAlignment(Qt::AlignRight);
  chart_->setMargins(QMargins(4, 4, 4, 4));
  timeAxis_ = new QDateTimeAxis;
  timeAxis_->setTitleText("Local time");
  timeAxis_->setTickCount(7);
  voltAxis_ = new QValueAxis;
  voltAxis_->setTitleText("V");
  voltAxis_->setLabelFormat("%.3f");
  chart_->addAxis(timeAxis_, Qt::AlignBottom);
  chart_->addAxis(voltAxis_, Qt::AlignLeft);
  for (int c = 0; c < 12; ++c) {
    auto* s = new QLineSeries;
    s->setName(QString("CELL%1").arg(c + 1));
    QPen pen(kCellColours[static_cast<std::size_t>(c)]);
    pen.setWidth(1);  // one-pixel lines take the fast path of the raster painter
    s->setPen(pen);
    chart_->addSeries(s);
    s->attachAxis(timeAxis_);
    s->attachAxis(voltAxis_);
    connect(s, &QLineSeries::hovered, this, [this, c](const QPointF& p, bool on) {
      if (!on) return;
      const QString text = hoverText(c + 1, p);
      hover_->setText(text);
      QToolTip::showText(QCursor::pos(), text, chartView_);
    });
    cells_[static_cast<std::size_t>(c)] = s;
  }
  vuv_ = dashedLine("VUV", kVuvColour);
  vov_ = dashedLine("VOV", kVovColour);
  for (QLineSeries* s : {vuv_, vov_}) {
    chart_->addSeries(s);
    s->attachAxis(timeAxis_);
    s->attachAxis(voltAxis_);
  }
  chartView_ = new QChartView(chart_);
  chartView_->setObjectName("trendsChart");
  chartView_->setRenderHint(QPainter::Antialiasing, false);  // thousands of points: crisp and fast
  chartView_->setAccessibleName("Cell voltage chart");
  chartView_->setAccessibleDescription(
      "Cell voltages of the chosen board over the chosen span, with its VUV and VOV thresholds as dashed lines");
  chartView_->setMinimumHeight(300);
}

QString TrendsWindow::hoverText(int cell, const QPointF& point) {
  const QDateTime t = QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(point.x()));
  return QString("%1   CELL%2   %3 V").arg(t.toString("yyyy-MM-dd hh:mm:ss.zzz")).arg(cell).arg(point.y(), 0, 'f', 3);
}

void TrendsWindow::setBoard(int board) {
  board_ = std::clamp(board, 0, history::kHistoryBoards - 1);
  if (boardBox_->currentIndex() != board_) boardBox_->setCurrentIndex(board_);
  drawnRevision_ = ~std::uint64_t{0};
  refresh();
}

void TrendsWindow::setSpan(int spanIndex) {
  spanIndex_ = std::clamp(spanIndex, 0, static_cast<int>(kTrendSpans.size()) - 1);
  if (spanBox_->currentIndex() != spanIndex_) spanBox_->setCurrentIndex(spanIndex_);
  drawnRevision_ = ~std::uint64_t{0};  // the span figures of the table change too
  refresh();
}

void TrendsWindow::setSpreadThresholdMv(int mv) {
  thresholdMv_ = mv;
  if (thresholdBox_->value() != mv) thresholdBox_->setValue(mv);
  redrawTable();
}

std::pair<context::TimePoint, context::TimePoint> TrendsWindow::span() const {
  const context::TimePoint now = clock_.now();
  const auto length = kTrendSpans[static_cast<std::size_t>(spanIndex_)].length;
  if (length.count() == 0) return {store_.oldest().value_or(now), now};
  return {now - length, now};
}

void TrendsWindow::refresh() {
  // The x axis follows the clock even when no reading came in.
  redrawChart();
  const std::uint64_t revision = store_.revision();
  if (revision == drawnRevision_) return;
  drawnRevision_ = revision;
  redrawTable();
}

int TrendsWindow::visibleCellSeries() const {
  return static_cast<int>(std::count_if(cells_.begin(), cells_.end(), [](QLineSeries* s) { return s->isVisible(); }));
}

void TrendsWindow::redrawChart() {
  const auto [from, to] = span();
  const std::vector<history::CellSample> samples = store_.cells(board_, from, to);
  const auto settings = store_.settings(board_);
  const bool tenCells = settings ? settings->tenCells : false;
  float lo = 0, hi = 0;
  bool any = false;
  for (int c = 0; c < 12; ++c) {
    QLineSeries* s = cells_[static_cast<std::size_t>(c)];
    const bool shown = c < (tenCells ? 10 : 12);
    s->setVisible(shown);
    QList<QPointF> points;
    if (shown) {
      for (const history::SeriesPoint& p : history::envelope(samples, c, kMaxPointsPerSeries)) {
        points.append(QPointF(static_cast<qreal>(p.ms), static_cast<qreal>(p.volts)));
        if (!any || p.volts < lo) lo = p.volts;
        if (!any || p.volts > hi) hi = p.volts;
        any = true;
      }
    }
    s->replace(points);
  }
  const qreal x0 = static_cast<qreal>(msOf(from)), x1 = static_cast<qreal>(std::max(msOf(to), msOf(from) + 1000));
  auto threshold = [&](QLineSeries* line, float volts) {
    // A threshold of 0 V is one nobody set: no line.
    line->setVisible(volts > 0.0f);
    QList<QPointF> ends;
    if (volts > 0.0f) {
      ends = {QPointF(x0, volts), QPointF(x1, volts)};
      if (!any || volts < lo) lo = volts;
      if (!any || volts > hi) hi = volts;
      any = true;
    }
    line->replace(ends);
  };
  threshold(vuv_, settings ? settings->vuvVolts : 0.0f);
  threshold(vov_, settings ? settings->vovVolts : 0.0f);

  timeAxis_->setFormat(kTrendSpans[static_cast<std::size_t>(spanIndex_)].length.count() > 0 &&
                               kTrendSpans[static_cast<std::size_t>(spanIndex_)].length.count() <= 3600
                           ? "hh:mm:ss"
                           : "dd.MM. hh:mm");
  timeAxis_->setRange(QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(x0)),
                      QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(x1)));
  if (!any) lo = 0.0f, hi = 6.144f;
  const float margin = std::max(0.01f, (hi - lo) * 0.08f);
  voltAxis_->setRange(static_cast<qreal>(lo - margin), static_cast<qreal>(hi + margin));
  chart_->setTitle(QString("%1   %2").arg(boardCaption(board_), kTrendSpans[static_cast<std::size_t>(spanIndex_)].caption));
  colourLegend();
}

void TrendsWindow::colourLegend() {
  // The square of a cell's legend entry is filled with the colour of the
  // cell's present status (as in the main window's overview); its label
  // is written in the colour of the cell's line.
  const std::array<int, 12> statuses = store_.statuses(board_);
  for (int c = 0; c < 12; ++c) {
    const auto markers = chart_->legend()->markers(cells_[static_cast<std::size_t>(c)]);
    if (markers.isEmpty()) continue;
    const int code = std::clamp(statuses[static_cast<std::size_t>(c)], 0, display::kCellStatusCount - 1);
    const display::CellStatusCode& status = display::kCellStatusCodes[static_cast<std::size_t>(code)];
    QLegendMarker* m = markers.front();
    m->setBrush(toColour(status.colour, palette()));
    m->setPen(QPen(Qt::darkGray));
    m->setLabelBrush(QBrush(kCellColours[static_cast<std::size_t>(c)]));
    m->setLabel(QString("CELL%1 %2").arg(c + 1).arg(status.shortName));
    m->setVisible(cells_[static_cast<std::size_t>(c)]->isVisible());
  }
}

void TrendsWindow::redrawTable() {
  const auto [from, to] = span();
  const std::vector<history::BoardSummary> all = store_.summaries(from, to);
  for (const history::BoardSummary& s : all) {
    const int row = s.board;
    table_->setRowHidden(row, !s.hasReading);
    if (!s.hasReading) continue;
    const bool marked = s.spreadMv() > static_cast<float>(thresholdMv_);
    const QString mark = marked ? QString("  SPREAD > %1 mV").arg(thresholdMv_) : QString();
    const QString texts[kColumns] = {
        boardCaption(s.board) + mark,
        cellValue(s.lowestCell, s.lowest),
        cellValue(s.highestCell, s.highest),
        QString::number(static_cast<double>(s.spreadMv()), 'f', 1),
        QString::number(static_cast<double>(s.mean), 'f', 3),
        QString::number(static_cast<double>(s.total), 'f', 3),
    };
    // What the board did over the chosen span, for whoever rests the pointer on its row.
    const QString overSpan =
        s.count == 0 ? QString("No reading in the chosen span")
                     : QString("Over the chosen span (%1 readings): lowest %2 V, highest %3 V, mean %4 V, "
                               "largest spread %5 mV")
                           .arg(s.count)
                           .arg(static_cast<double>(s.spanMin), 0, 'f', 3)
                           .arg(static_cast<double>(s.spanMax), 0, 'f', 3)
                           .arg(static_cast<double>(s.spanMean), 0, 'f', 3)
                           .arg(static_cast<double>(s.spanMaxSpreadMv), 0, 'f', 1);
    for (int c = 0; c < kColumns; ++c) {
      QTableWidgetItem* item = table_->item(row, c);
      item->setText(texts[c]);
      item->setToolTip(overSpan);
      item->setBackground(marked ? QBrush(kMarkedRow) : QBrush());
      item->setTextAlignment(c == kBoard ? (Qt::AlignLeft | Qt::AlignVCenter) : (Qt::AlignRight | Qt::AlignVCenter));
    }
  }
  const auto total = store_.stackTotal();
  stackTotal_->setText(total ? QString("STACK TOTAL   %1 V").arg(static_cast<double>(*total), 0, 'f', 3)
                             : QString("STACK TOTAL   no reading yet"));
}

bool TrendsWindow::savePng(const QString& path) { return chartView_->grab().save(path, "PNG"); }

bool TrendsWindow::saveCsv(const QString& path) {
  const auto [from, to] = span();
  const auto settings = store_.settings(board_);
  std::ofstream out(path.toStdString(), std::ios::binary);
  if (!out) return false;
  history::writeSpanCsv(out, board_, settings && settings->tenCells ? 10 : 12, store_.cells(board_, from, to));
  out.flush();
  return static_cast<bool>(out);
}

void TrendsWindow::chooseSaveFile(bool png) {
  const QString path = QFileDialog::getSaveFileName(this, png ? "Save Chart" : "Save CSV", QString(),
                                                    png ? "PNG picture (*.png)" : "CSV file (*.csv)");
  if (path.isEmpty()) return;
  QString file = path;
  const QString ending = png ? ".png" : ".csv";
  if (!file.endsWith(ending, Qt::CaseInsensitive)) file += ending;
  if (!(png ? savePng(file) : saveCsv(file)))
    QMessageBox::warning(this, windowTitle(), QString("Could not write %1").arg(file));
}

}  // namespace kestrav::gui
