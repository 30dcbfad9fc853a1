#include "state/DatalogState.h"

namespace kestrav::state {

void SampleStore::reset(int points) {
  samples_.clear();
  samples_.shrink_to_fit();
  texts_.clear();
  thresholds_.clear();
  thresholdOf_.clear();
  if (points >= 1) samples_.resize(slot(kWrittenBoards - 1, points < kPoints ? points : kPoints - 1) + 1);
}

const SampleStore::BoardSample* SampleStore::sample(int board, int point) const {
  if (!writable(board, point)) return nullptr;
  const std::size_t i = slot(board, point);
  return i < samples_.size() && samples_[i].written ? &samples_[i] : nullptr;
}

SampleStore::BoardSample& SampleStore::write(int board, int point) {
  const std::size_t i = slot(board, point);
  // A ring longer than the room made for it grows point by point.
  if (i >= samples_.size()) samples_.resize(slot(kWrittenBoards - 1, point) + 1);
  BoardSample& s = samples_[i];
  if (!texts_.empty())
    for (int c = 0; c < kColumns; ++c) texts_.erase(key(board, c, point));
  s = BoardSample{};
  s.written = true;
  return s;
}

const std::string* SampleStore::text(int board, int column, int point) const {
  if (texts_.empty()) return nullptr;
  const auto it = texts_.find(key(board, column, point));
  return it == texts_.end() ? nullptr : &it->second;
}

void SampleStore::setText(int board, int column, int point, std::string t) {
  if (!writable(board, point) || column < 0 || column >= kColumns) return;
  if (t.empty()) texts_.erase(key(board, column, point));
  else texts_[key(board, column, point)] = std::move(t);
}

bool SampleStore::thresholdIndex(const std::string& t, std::uint16_t* index) {
  const auto it = thresholdOf_.find(t);
  if (it != thresholdOf_.end()) {
    *index = it->second;
    return true;
  }
  if (thresholds_.size() > 0xFFFF) return false;
  *index = static_cast<std::uint16_t>(thresholds_.size());
  thresholds_.push_back(t);
  thresholdOf_.emplace(t, *index);
  return true;
}

std::size_t SampleStore::bytes() const {
  std::size_t n = samples_.capacity() * sizeof(BoardSample);
  for (const auto& [k, t] : texts_) n += sizeof(k) + sizeof(t) + t.capacity() + 16;
  for (const std::string& t : thresholds_) n += 2 * (sizeof(t) + t.capacity()) + 16;
  return n;
}

}  // namespace kestrav::state
