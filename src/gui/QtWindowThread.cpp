#include "gui/QtWindowThread.h"

#include <QMetaObject>

namespace kestrav::gui {

void QtWindowThread::run(std::function<void()> call) { queue(std::move(call)); }

void QtWindowThread::modelPublished() {
  queue([this] {
    if (render_) render_();
  });
}

void QtWindowThread::queue(std::function<void()> call) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    calls_.push_back(std::move(call));
  }
  // By name: the queued event carries no data of ours across the threads.
  QMetaObject::invokeMethod(this, "runQueued", Qt::QueuedConnection);
}

void QtWindowThread::runQueued() {
  // One wake-up per call, so the calls take their turns with the window's
  // other events as they did when queued.
  std::function<void()> call;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (calls_.empty()) return;
    call = std::move(calls_.front());
    calls_.pop_front();
  }
  call();
}

}  // namespace kestrav::gui
