#pragma once
// The window thread's side of the core's hand-over, with Qt: calls the core
// hands over run from the Qt event loop, and a published model is rendered
// from there too.

#include <QObject>
#include <functional>

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
  std::function<void()> render_;
};

}  // namespace kestrav::gui
