#pragma once
// A fixed-capacity ring: appends until full, then every append replaces the
// oldest element. Grows its storage in steps up to the capacity, so a short
// run does not hold the whole bound in memory.

#include <algorithm>
#include <cstddef>
#include <vector>

namespace kestrav::history {

template <typename T>
class BoundedRing {
 public:
  explicit BoundedRing(std::size_t capacity) : capacity_(capacity < 1 ? 1 : capacity) {}

  void push(const T& value) {
    if (items_.size() < capacity_) {
      if (items_.size() == items_.capacity())
        items_.reserve(std::min(capacity_, std::max<std::size_t>(1024, items_.size() * 2)));
      items_.push_back(value);
      return;
    }
    items_[head_] = value;
    head_ = (head_ + 1) % capacity_;
  }

  std::size_t size() const { return items_.size(); }
  std::size_t capacity() const { return capacity_; }
  std::size_t bytesReserved() const { return items_.capacity() * sizeof(T); }

  // Element i counted from the oldest.
  const T& operator[](std::size_t i) const { return items_[(head_ + i) % items_.size()]; }

 private:
  std::size_t capacity_;
  std::size_t head_ = 0;  // the oldest element once the ring is full
  std::vector<T> items_;
};

}  // namespace kestrav::history
