// The core thread's hand-over without Qt: what it drops, what it still runs
// when it stops. The window's thread is the test's own; it runs what the core
// hands over only when the test says so, so every order is the test's choice.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "app/CoreThread.h"
#include "app/Events.h"
#include "context/Monitor.h"
#include "support/FakeDesktop.h"
#include "support/ScriptedPort.h"

namespace kestrav::test {
namespace {

using context::Control;
using context::Monitor;

// The window's thread: keeps what the core hands over until run.
class HeldWindow : public app::WindowThread {
 public:
  void run(std::function<void()> call) override {
    std::lock_guard<std::mutex> lock(mutex_);
    calls_.push_back(std::move(call));
  }
  void modelPublished() override {}

  std::size_t held() {
    std::lock_guard<std::mutex> lock(mutex_);
    return calls_.size();
  }
  void runHeld() {
    std::deque<std::function<void()>> calls;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      calls.swap(calls_);
    }
    for (auto& c : calls) c();
  }

 private:
  std::mutex mutex_;
  std::deque<std::function<void()>> calls_;
};

class CoreThreadTest : public ::testing::Test {
 protected:
  CoreThreadTest() : core(window, desktop), monitor(scriptedPort(script), core.desktop(), clock) {
    app::wireMainWindow(monitor);
    app::loadMainWindow(monitor);
  }
  ~CoreThreadTest() override { core.stop(); }

  int placeOf(const Control& c) {
    const std::vector<Control*>& all = monitor.ui.all();
    return static_cast<int>(std::find(all.begin(), all.end(), &c) - all.begin());
  }
  static app::CoreThread::Event click() {
    return [](Monitor&, Control* c) { c->raiseClick(); };
  }
  // Runs what the core hands over until it has nothing left to do.
  void settle() {
    while (!core.waitIdle(5)) window.runHeld();
    window.runHeld();
  }
  int identifications() const { return script->count("IZ"); }  // one per tick that ran

  std::shared_ptr<PortScript> script = std::make_shared<PortScript>();
  FakeDesktop desktop;
  FixedClock clock;
  HeldWindow window;
  app::CoreThread core;
  Monitor monitor;
  context::MainWindowModel& ui = monitor.ui;
};

// The first click hides, disables or takes the focus from the control the
// next event is for; the desktop would never have delivered that one.
TEST_F(CoreThreadTest, AnEventForAControlAnEarlierEventHidOrDisabledIsDropped) {
  struct Case {
    const char* what;
    std::function<void()> firstClick;
  };
  std::vector<std::string> ran;
  const Case cases[] = {
      {"hidden", [&] { ui.Command1[7].setVisible(false); }},
      {"disabled", [&] { ui.Command1[7].setEnabled(false); }},
      {"left alone", [] {}},
  };
  core.start(monitor);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    core.post(-1, [&](Monitor&, Control*) {
      ran.clear();
      ui.Command1[7].setVisible(true);
      ui.Command1[7].setEnabled(true);
      ui.Command1[6].onClick([&](int) {
        ran.push_back("6");
        c.firstClick();
      });
      ui.Command1[7].onClick([&](int) { ran.push_back("7"); });
    });
    // Both are queued before the core takes the first.
    core.post(placeOf(ui.Command1[6]), click());
    core.post(placeOf(ui.Command1[7]), click());
    settle();
    if (std::string(c.what) == "left alone")
      EXPECT_EQ(ran, (std::vector<std::string>{"6", "7"}));
    else
      EXPECT_EQ(ran, (std::vector<std::string>{"6"}));
  }

  // A key for a box that lost the focus meanwhile goes nowhere.
  std::vector<int> keys;
  core.post(-1, [&](Monitor&, Control*) {
    ui.Text2[0].onKeyPress([&](int, int key) {
      keys.push_back(key);
      return key;
    });
    ui.setFocus(ui.Text2[0]);
  });
  const auto typed = [](int key) { return [key](Monitor&, Control* c) { c->typeKey(key); }; };
  core.post(placeOf(ui.Text2[0]), typed('1'), true);
  core.post(placeOf(ui.Command1[7]), [](Monitor& m, Control* c) { m.ui.setFocus(*c); });
  core.post(placeOf(ui.Text2[0]), typed('2'), true);
  settle();
  EXPECT_EQ(keys, (std::vector<int>{'1'}));
}

// A modal box blocks the timer: the ticks asked for while it is up are
// dropped, not run once it is answered.
TEST_F(CoreThreadTest, ATickAskedForWhileADialogIsUpIsDropped) {
  ui.Command1[0].onClick([&](int) {
    monitor.desktop.messageBox("Bridge busy", "", context::MessageButtons::OK, context::MessageIcon::Exclamation,
                               context::MessageAnswer::OK);
  });
  core.start(monitor);
  const int before = identifications();
  core.post(placeOf(ui.Command1[0]), click());
  while (window.held() == 0) core.waitIdle(1);  // the box is on its way to the window
  core.requestTick();
  core.requestTick();
  settle();
  EXPECT_EQ(desktop.messages.size(), 1u);
  EXPECT_EQ(identifications(), before);

  // Without a dialog, a tick asked for runs.
  core.requestTick();
  settle();
  EXPECT_EQ(identifications(), before + 1);
}

// Stopping while an event waits for a dialog and more are queued: the dialog
// gets its Escape answer, the queue is dropped, and the last event still runs.
TEST_F(CoreThreadTest, StopRunsTheLastEventAlsoWhenEventsWereQueued) {
  std::vector<std::string> ran;
  ui.Command1[0].onClick([&](int) {
    const context::MessageAnswer a =
        monitor.desktop.messageBox("Save?", "", context::MessageButtons::YesNoCancel, context::MessageIcon::Question,
                                   context::MessageAnswer::Yes);
    ran.push_back(a == context::MessageAnswer::Cancel ? "box: Cancel" : "box: answered");
  });
  ui.Command1[7].onClick([&](int) { ran.push_back("queued"); });
  core.start(monitor);
  core.post(placeOf(ui.Command1[0]), click());
  while (window.held() == 0) core.waitIdle(1);  // the core waits for the box
  core.post(placeOf(ui.Command1[7]), click());
  core.post(placeOf(ui.Command1[7]), click());
  core.requestTick();
  const int before = identifications();
  core.stop([&](Monitor&, Control* c) { ran.push_back(c == nullptr ? "last" : "last with a control"); });
  EXPECT_EQ(ran, (std::vector<std::string>{"box: Cancel", "last"}));
  EXPECT_EQ(identifications(), before);
  EXPECT_TRUE(desktop.messages.empty());  // the box never reached the window
}

}  // namespace
}  // namespace kestrav::test
