#pragma once
// Answers a modal dialog from the test: `act` runs on the dialog as soon as
// it is up (polled every 10 ms on the event loop the dialog runs).

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace kestrav::test {

inline void whenModal(std::function<void(QWidget*)> act) {
  auto* poll = new QTimer;
  QObject::connect(poll, &QTimer::timeout, [poll, act] {
    if (QWidget* w = QApplication::activeModalWidget()) {
      poll->stop();
      poll->deleteLater();
      act(w);
    }
  });
  poll->start(10);
}

}  // namespace kestrav::test
