#pragma once
// A started window on a fake bridge, as kestrav-gui brings it up, without
// running the program's event loop.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QString>
#include <memory>

#include "FakePort.h"
#include "context/Clock.h"
#include "app/Events.h"
#include "context/Monitor.h"
#include "gui/MainWindow.h"
#include "gui/QtDesktop.h"

namespace kestrav::test {

class WindowTest : public ::testing::Test {
 protected:
  WindowTest()
      : port(std::make_shared<FakePortState>()),
        monitor(std::make_unique<FakePort>(port), desktop, clock),
        window(monitor) {
    desktop.attach(&window, [this] { window.render(); });
  }

  // What kestrav-gui does before its event loop: wire, load, render, show.
  void start() {
    app::wireMainWindow(monitor);
    app::loadMainWindow(monitor);
    ASSERT_FALSE(monitor.ended()) << "the fake bridge was refused";
    window.render();
    window.show();
  }

  QWidget* widget(const context::Control& c) { return window.widgetFor(c); }

  static QString artifact(const QString& name) { return artifactPath(name); }

 public:
  // Screenshots go to gui-screenshots/ in the build folder, for a human to look at.
  static QString artifactPath(const QString& name) {
    const QByteArray dir = qgetenv("KESTRAV_BUILD_DIR");
    const QString folder = (dir.isEmpty() ? QDir::currentPath() : QString::fromLocal8Bit(dir)) + "/gui-screenshots";
    QDir().mkpath(folder);
    return folder + "/" + name;
  }

 protected:

  std::shared_ptr<FakePortState> port;
  gui::QtDesktop desktop;
  context::SystemClock clock;
  context::Monitor monitor;
  context::MainWindowModel& ui = monitor.ui;
  gui::MainWindow window;
};

}  // namespace kestrav::test
