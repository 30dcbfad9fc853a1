#pragma once
// The window thread's side of the core's hand-over, with Qt: calls the core
// hands over run from the Qt event loop, and a published model is rendered
// from there too. The calls wait in a queue of this class, behind a
// std::mutex; Qt only carries the wake-up. So the hand-over of every call's
// data is a lock ThreadSanitizer sees, not one inside Qt's own libraries.

#include <QObject>
#include <deque>
#include <functional>
#include <mutex>

#include "app/CoreThread.h"

namespace kestrav::gui {

class QtWindowThread : public QObject, public app::WindowThread {
  Q_OBJECT

 public:
  QtWindowThread() = default;
  // What renders a published model (the window's render()).
  void onPublished(std::function<void()> render) { render_ = std::move(render); }

  void run(std::function<void()> call) override;
  void modelPublished() override;

 private:
  // Runs the oldest queued call, on the window's thread. A call may run an
  // event loop of its own (a dialog); the calls queued meanwhile run from
  // there.
  Q_INVOKABLE void runQueued();
  void queue(std::function<void()> call);

  std::function<void()> render_;
  std::mutex mutex_;
  std::deque<std::function<void()>> calls_;
};

}  // namespace kestrav::gui
