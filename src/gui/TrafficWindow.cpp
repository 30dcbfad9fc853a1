#include "gui/TrafficWindow.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeySequence>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

#include "gui/TrafficModel.h"

namespace kestrav::gui {

namespace {
constexpr int kPollMs = 200;
const char* const kCommands[] = {"IZ",     "WRCFG",  "RDCFG",   "RDCV",  "RDFLG", "RDTMP",
                                 "STCVAD", "STOWAD", "STTMPAD", "PLADC", "PLINT"};
}  // namespace

TrafficWindow::TrafficWindow(const history::TrafficLog& log, QWidget* parent)
    : QWidget(parent, Qt::Window), log_(log) {
  setObjectName("TrafficWindow");
  setWindowTitle("Bridge Traffic");
  setAccessibleName("Bridge Traffic");
  setAccessibleDescription("Every transaction with the bridge: what was written and what came back");

  auto* addressLabel = new QLabel("Board address");
  addressBox_ = new QComboBox;
  addressBox_->setObjectName("trafficAddress");
  addressBox_->addItem("all", QString());
  addressBox_->addItem("broadcast", QString("broadcast"));
  for (int a = 0x80; a <= 0x8F; ++a) {
    const QString hex = QString::number(a, 16).toUpper();
    addressBox_->addItem("0x" + hex, hex);
  }
  addressBox_->setAccessibleName("Board address");
  addressBox_->setAccessibleDescription("Shows only the transactions addressed to this board, or only broadcasts");
  addressLabel->setBuddy(addressBox_);

  auto* commandLabel = new QLabel("Command");
  commandBox_ = new QComboBox;
  commandBox_->setObjectName("trafficCommand");
  commandBox_->addItem("all", QString());
  for (const char* c : kCommands) commandBox_->addItem(c, QString(c));
  commandBox_->setAccessibleName("Command");
  commandBox_->setAccessibleDescription("Shows only the transactions of this command");
  commandLabel->setBuddy(commandBox_);

  pauseButton_ = new QPushButton("Pause");
  pauseButton_->setObjectName("trafficPause");
  pauseButton_->setCheckable(true);
  pauseButton_->setAccessibleName("Pause");
  pauseButton_->setAccessibleDescription("Stops adding new lines so the shown ones can be read; press again to follow");
  copyButton_ = new QPushButton("Copy");
  copyButton_->setObjectName("trafficCopy");
  copyButton_->setAccessibleName("Copy");
  copyButton_->setAccessibleDescription("Copies the selected lines to the clipboard, tab-separated");

  model_ = new TrafficModel(history::kTrafficEntriesKept, this);
  view_ = new QTableView;
  view_->setObjectName("trafficLines");
  view_->setModel(model_);
  view_->setAccessibleName("Transactions");
  view_->setAccessibleDescription("One line per bridge transaction, newest at the bottom");
  view_->setSelectionBehavior(QAbstractItemView::SelectRows);
  view_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  view_->verticalHeader()->setVisible(false);
  view_->verticalHeader()->setDefaultSectionSize(18);
  view_->setWordWrap(false);
  QHeaderView* h = view_->horizontalHeader();
  h->setSectionResizeMode(QHeaderView::Interactive);
  view_->setColumnWidth(TrafficModel::kTime, 95);
  view_->setColumnWidth(TrafficModel::kWritten, 280);
  view_->setColumnWidth(TrafficModel::kRequested, 45);
  view_->setColumnWidth(TrafficModel::kReceived, 45);
  view_->setColumnWidth(TrafficModel::kPec, 85);
  h->setSectionResizeMode(TrafficModel::kReply, QHeaderView::Stretch);

  auto* copyAction = new QAction(this);
  copyAction->setShortcut(QKeySequence::Copy);
  copyAction->setShortcutContext(Qt::WidgetWithChildrenShortcut);
  addAction(copyAction);

  counts_ = new QLabel;
  counts_->setObjectName("trafficCounts");
  counts_->setAccessibleName("Counts");
  counts_->setAccessibleDescription("Transactions, PEC mismatches and incomplete replies since the start");
  counts_->setWordWrap(true);  // a long telemetry error stays inside the window

  auto* top = new QHBoxLayout;
  for (QWidget* w : std::initializer_list<QWidget*>{addressLabel, addressBox_, commandLabel, commandBox_})
    top->addWidget(w);
  top->addStretch();
  top->addWidget(pauseButton_);
  top->addWidget(copyButton_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(view_, 1);
  layout->addWidget(counts_);
  resize(1000, 600);

  connect(addressBox_, &QComboBox::currentIndexChanged, this, [this] { applyFilter(); });
  connect(commandBox_, &QComboBox::currentIndexChanged, this, [this] { applyFilter(); });
  connect(pauseButton_, &QPushButton::toggled, this, [this](bool on) { setPaused(on); });
  connect(copyButton_, &QPushButton::clicked, this, [this] { copySelection(); });
  connect(copyAction, &QAction::triggered, this, [this] { copySelection(); });
  poll_.setInterval(kPollMs);
  connect(&poll_, &QTimer::timeout, this, &TrafficWindow::poll);
  poll_.start();
  poll();
}

void TrafficWindow::poll() {
  const history::TrafficCounts c = log_.counts();
  const QString telemetry = telemetryState_ ? "     " + QString::fromStdString(telemetryState_()) : QString();
  counts_->setText(QString("Transactions: %1     PEC mismatches: %2     Incomplete replies: %3%4%5")
                       .arg(c.transactions)
                       .arg(c.mismatches)
                       .arg(c.incomplete)
                       .arg(telemetry)
                       .arg(paused_ ? "     (paused)" : ""));
  if (paused_) return;
  const std::vector<history::TrafficEntry> fresh = log_.entriesAfter(lastSequence_);
  if (fresh.empty()) return;
  lastSequence_ = fresh.back().sequence;
  model_->append(fresh);
  view_->scrollToBottom();
}

void TrafficWindow::setPaused(bool paused) {
  paused_ = paused;
  if (pauseButton_->isChecked() != paused) pauseButton_->setChecked(paused);
  pauseButton_->setText(paused ? "Follow" : "Pause");
  pauseButton_->setAccessibleName(paused ? "Follow" : "Pause");
  poll();
}

void TrafficWindow::setAddressFilter(const QString& address) {
  const int i = addressBox_->findData(address);
  if (i >= 0) addressBox_->setCurrentIndex(i);
}

void TrafficWindow::setCommandFilter(const QString& command) {
  const int i = commandBox_->findData(command);
  if (i >= 0) commandBox_->setCurrentIndex(i);
}

void TrafficWindow::applyFilter() {
  model_->setFilter({addressBox_->currentData().toString(), commandBox_->currentData().toString()});
  view_->scrollToBottom();
}

QString TrafficWindow::copySelection() {
  QModelIndexList rows = view_->selectionModel()->selectedRows();
  std::sort(rows.begin(), rows.end(), [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
  QStringList lines;
  for (const QModelIndex& r : rows) lines << QString::fromStdString(history::traceLine(model_->entry(r.row())));
  const QString text = lines.join('\n');
  if (!text.isEmpty()) QApplication::clipboard()->setText(text);
  return text;
}

}  // namespace kestrav::gui
