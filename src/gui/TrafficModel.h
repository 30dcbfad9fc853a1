#pragma once
// The rows of the Bridge Traffic window: the entries of the traffic log that
// pass the window's filter, one row each, in the order they happened.

#include <QAbstractTableModel>
#include <QString>
#include <deque>
#include <vector>

#include "history/TrafficEntry.h"

namespace kestrav::gui {

struct TrafficFilter {
  QString address;  // "81".."8F", "broadcast" (no address), or empty for all
  QString command;  // "RDCV" ... or empty for all
  bool passes(const history::TrafficEntry& e) const;
};

class TrafficModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  enum Column { kTime, kWritten, kRequested, kReceived, kReply, kPec, kColumns };

  explicit TrafficModel(std::size_t kept, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation o, int role) const override;

  // New entries of the log; the oldest go once more than `kept` are held.
  void append(const std::vector<history::TrafficEntry>& entries);
  void setFilter(const TrafficFilter& filter);
  const history::TrafficEntry& entry(int row) const { return *shown_[static_cast<std::size_t>(row)]; }

 private:
  void trim();

  std::size_t kept_;
  std::deque<history::TrafficEntry> all_;
  std::deque<const history::TrafficEntry*> shown_;  // into all_ (a deque keeps them in place)
  TrafficFilter filter_;
};

}  // namespace kestrav::gui
