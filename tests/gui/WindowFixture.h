#pragma once
// A started window on a fake bridge, as kestrav-gui brings it up (the core
// on its own thread), without running the program's event loop. The core's
// model belongs to the core thread once started: a test changes it with
// onCore() and waits for what it posted with settle().

#include <gtest/gtest.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QString>
#include <memory>

#include "FakePort.h"
#include "context/Clock.h"
#include "app/CoreThread.h"
#include "app/Events.h"
#include "context/Monitor.h"
#include "gui/MainWindow.h"
#include "gui/QtDesktop.h"
#include "gui/QtWindowThread.h"

namespace kestrav::test {

class WindowTest : public ::testing::Test {
 protected:
  WindowTest() : WindowTest(nullptr) {}
  // On another bridge than the fake one.
  explicit WindowTest(std::unique_ptr<link::BridgePort> bridge)
      : port(std::make_shared<FakePortState>()),
        core(windowThread, desktop),
        monitor(bridge ? std::move(bridge) : std::make_unique<FakePort>(port), core.desktop(), clock),
        window(core) {
    desktop.attach(&window, [this] { window.render(); });
    windowThread.onPublished([this] { window.render(); });
  }
  ~WindowTest() override { core.stop(); }

  // What kestrav-gui does before its event loop: wire, load, start the
  // core, render, show.
  void start() {
    app::wireMainWindow(monitor);
    app::loadMainWindow(monitor);
    ASSERT_FALSE(monitor.ended()) << "the fake bridge was refused";
    core.start(monitor);
    window.render();
    window.show();
  }

  // Runs the window's events until the core has run everything posted to
  // it (dialogs it asks for meanwhile are shown), and the render of what it
  // published last.
  void settle() {
    const QDeadlineTimer deadline(10000);
    while (!core.idle() && !deadline.hasExpired()) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
      core.waitIdle(5);
    }
    ASSERT_TRUE(core.idle()) << "the core did not come to rest";
    QCoreApplication::processEvents();
  }

  // Runs `f` on the core thread (where the model lives), then settles.
  void onCore(std::function<void()> f) {
    core.post(-1, [f = std::move(f)](context::Monitor&, context::Control*) { f(); });
    settle();
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
  gui::QtWindowThread windowThread;
  app::CoreThread core;
  context::SystemClock clock;
  context::Monitor monitor;
  context::MainWindowModel& ui = monitor.ui;
  gui::MainWindow window;
};

}  // namespace kestrav::test
