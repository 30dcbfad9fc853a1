#pragma once
// The core on a thread of its own. One thread owns the Monitor and runs
// every handler, every Timer1 tick and so every bridge transaction, one
// after the other, in the order the window's events arrived; the window's
// thread only renders and forwards. The hand-over between the two:
// - events: the window posts each user action (and asks for ticks); the
//   core takes them in order and drops an event whose control is disabled
//   or hidden by then, as the desktop would not have delivered it;
// - the model: after every event, and before every dialog, the core
//   publishes a copy of what changed in the window model; the window takes
//   it and renders only those controls, so it never shows half a handler;
// - the desktop: a dialog the core asks for is carried out on the window's
//   thread while the core waits for the answer, as a modal box blocks; no
//   tick runs meanwhile, and ticks asked for during it are dropped.
// No routine of the subsystems knows about any of this.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "context/Desktop.h"
#include "context/Monitor.h"

namespace kestrav::app {

using context::Monitor;

// What the window's thread offers the core.
class WindowThread {
 public:
  virtual ~WindowThread() = default;
  // Runs `call` on the window's thread soon; never waits for it.
  virtual void run(std::function<void()> call) = 0;
  // A new copy of the model is there to take (called on the core thread).
  virtual void modelPublished() = 0;
};

class CoreThread {
 public:
  // `desktop` is the window thread's desktop: dialogs are shown with it.
  CoreThread(WindowThread& window, context::Desktop& desktop);
  ~CoreThread();
  CoreThread(const CoreThread&) = delete;
  CoreThread& operator=(const CoreThread&) = delete;

  // The desktop to build the Monitor with. Before start() (the load
  // handler) its calls go straight to the window's desktop.
  context::Desktop& desktop();

  // An event of the core: the Monitor and the core's own copy of the
  // control it concerns (nullptr for none).
  using Event = std::function<void(Monitor&, context::Control*)>;

  // From here on the Monitor belongs to the core thread.
  void start(Monitor& m);

  // Queues an event for the control at `control` (its place in
  // MainWindowModel::all(); -1 for none). It is dropped if, when the core
  // takes it, that control is disabled or hidden, or (focused) no longer
  // has the keyboard focus: the keys of a box go to the box only. Returns
  // the event's number (counting from 1), 0 when the core is not running.
  std::uint64_t post(int control, Event event, bool focused = false);
  // Asks for a Timer1 tick; at most one waits, as a busy timer coalesces.
  void requestTick();

  // Ends the core thread: the event being run completes (a bridge
  // transaction completes or times out), the queue is dropped, `last` runs
  // (also after the program has ended) and the thread ends. Dialogs asked
  // for from now on get the answer of their Escape key.
  void stop(Event last = {});

  // The window's side: copies what changed since the last take into
  // `shown` (focus included). False when nothing was published since.
  bool takePublished(context::MainWindowModel& shown);
  // The number of the last event the core had taken when it published the
  // copy taken last: what the window shows includes every event up to it.
  std::uint64_t takenThrough() const { return shownTaken_; }

  // The core has nothing to do: queue empty, no tick waiting, no event
  // running. waitIdle waits up to `ms` for it.
  bool idle();
  bool waitIdle(int ms);

 private:
  class HandOver;
  struct Item {
    std::uint64_t number = 0;
    int control = -1;
    Event event;
    bool focused = false;
    bool tick = false;
  };

  void loop();
  void runItem(Item& item);
  void publish();
  bool onCoreThread() const { return std::this_thread::get_id() == coreId_; }

  WindowThread& window_;
  std::unique_ptr<HandOver> handOver_;
  Monitor* m_ = nullptr;
  std::thread thread_;
  std::thread::id coreId_;

  std::mutex mutex_;
  std::condition_variable wake_;  // the core: work, stop, a dialog answered
  std::condition_variable idle_;  // the window: the core went idle
  std::deque<Item> queue_;
  bool tickPending_ = false;
  bool busy_ = false;
  bool stopping_ = false;
  bool renderPending_ = false;
  bool published_ = false;
  std::uint64_t posted_ = 0;       // the number of the last event posted
  std::uint64_t taken_ = 0;        // ... and of the last one the core took
  std::uint64_t stagedTaken_ = 0;  // taken_ when the staged copy was published
  std::uint64_t shownTaken_ = 0;   // the window's: stagedTaken_ of its last take
  std::unique_ptr<context::MainWindowModel> staged_;  // the last published copy
  int stagedFocus_ = -1;
};

}  // namespace kestrav::app
