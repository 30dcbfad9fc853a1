#include "gui/TrafficModel.h"

#include <QBrush>
#include <QColor>
#include <QDateTime>
#include <QFontDatabase>

namespace kestrav::gui {

namespace {
const char* const kHeadings[TrafficModel::kColumns] = {"TIME", "WRITTEN", "REQ", "RECV", "REPLY", "PEC"};
const QColor kMismatch(0xFF, 0xC8, 0xC8);
const QColor kIncomplete(0xFF, 0xF0, 0xB0);
}  // namespace

bool TrafficFilter::passes(const history::TrafficEntry& e) const {
  if (!address.isEmpty()) {
    const QString a = QString::fromStdString(history::addressOf(e.written));
    if (address == "broadcast" ? !a.isEmpty() : a != address) return false;
  }
  return command.isEmpty() || command == QString::fromStdString(history::commandOf(e.written));
}

TrafficModel::TrafficModel(std::size_t kept, QObject* parent) : QAbstractTableModel(parent), kept_(kept) {}

int TrafficModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(shown_.size());
}
int TrafficModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumns; }

QVariant TrafficModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const history::TrafficEntry& e = entry(index.row());
  if (role == Qt::BackgroundRole) {
    if (e.verdict == history::PecVerdict::Mismatch) return QBrush(kMismatch);
    if (e.verdict == history::PecVerdict::Incomplete) return QBrush(kIncomplete);
    return {};
  }
  if (role == Qt::FontRole && (index.column() == kWritten || index.column() == kReply))
    return QFontDatabase::systemFont(QFontDatabase::FixedFont);
  if (role == Qt::TextAlignmentRole && (index.column() == kRequested || index.column() == kReceived))
    return int(Qt::AlignRight | Qt::AlignVCenter);
  if (role != Qt::DisplayRole) return {};
  switch (index.column()) {
    case kTime: {
      const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(e.time.time_since_epoch()).count();
      return QDateTime::fromMSecsSinceEpoch(ms).toString("hh:mm:ss.zzz");
    }
    case kWritten: return QString::fromStdString(history::printable(e.written));
    case kRequested: return static_cast<qulonglong>(e.requested);
    case kReceived: return static_cast<qulonglong>(e.received);
    case kReply: return QString::fromStdString(history::printable(e.reply));
    case kPec: return QString(history::verdictText(e.verdict));
    default: return {};
  }
}

QVariant TrafficModel::headerData(int section, Qt::Orientation o, int role) const {
  if (o != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= kColumns) return {};
  return QString(kHeadings[section]);
}

void TrafficModel::append(const std::vector<history::TrafficEntry>& entries) {
  if (entries.empty()) return;
  std::vector<const history::TrafficEntry*> passing;
  for (const history::TrafficEntry& e : entries) {
    all_.push_back(e);
    if (filter_.passes(all_.back())) passing.push_back(&all_.back());
  }
  if (!passing.empty()) {
    const int first = rowCount();
    beginInsertRows({}, first, first + static_cast<int>(passing.size()) - 1);
    shown_.insert(shown_.end(), passing.begin(), passing.end());
    endInsertRows();
  }
  trim();
}

void TrafficModel::trim() {
  if (all_.size() <= kept_) return;
  const std::size_t drop = all_.size() - kept_;
  // Shown rows that point into the part of all_ about to go.
  std::size_t shownDrop = 0;
  while (shownDrop < shown_.size() && shown_[shownDrop]->sequence <= all_[drop - 1].sequence) ++shownDrop;
  if (shownDrop > 0) {
    beginRemoveRows({}, 0, static_cast<int>(shownDrop) - 1);
    shown_.erase(shown_.begin(), shown_.begin() + static_cast<std::ptrdiff_t>(shownDrop));
    endRemoveRows();
  }
  all_.erase(all_.begin(), all_.begin() + static_cast<std::ptrdiff_t>(drop));
}

void TrafficModel::setFilter(const TrafficFilter& filter) {
  beginResetModel();
  filter_ = filter;
  shown_.clear();
  for (const history::TrafficEntry& e : all_)
    if (filter_.passes(e)) shown_.push_back(&e);
  endResetModel();
}

}  // namespace kestrav::gui
