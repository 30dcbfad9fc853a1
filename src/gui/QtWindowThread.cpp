#include "gui/QtWindowThread.h"

#include <QMetaObject>

namespace kestrav::gui {

void QtWindowThread::run(std::function<void()> call) {
  QMetaObject::invokeMethod(this, std::move(call), Qt::QueuedConnection);
}

void QtWindowThread::modelPublished() {
  QMetaObject::invokeMethod(
      this,
      [this] {
        if (render_) render_();
      },
      Qt::QueuedConnection);
}

}  // namespace kestrav::gui
