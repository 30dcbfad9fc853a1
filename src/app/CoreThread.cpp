#include "app/CoreThread.h"

#include <chrono>
#include <optional>

#include "app/Events.h"

#ifdef KESTRAV_PLANT_HANDOVER_RACE
#include <cstring>
#endif

namespace kestrav::app {

#ifdef KESTRAV_PLANT_HANDOVER_RACE
// Built only into the test that proves scripts/sanitize-threads' suppressions
// hide no race of ours: a count of the events run, which the core writes and
// the window reads without the lock; and a note of the last event, copied
// in and out with memcpy, so that the race is one the sanitizer sees only
// through its memcpy interceptor called from our code.
namespace {
int plantedEventsRun = 0;
char plantedLastEvent[32];
volatile std::size_t plantedNoteSize = sizeof plantedLastEvent;  // not a size the compiler may inline
}
#endif

using context::Control;
using context::MessageAnswer;

// The Monitor's desktop: on the core thread every call is carried out on the
// window's thread (dialogs while the core waits, the rest without waiting);
// before the core thread runs, straight away.
class CoreThread::HandOver : public context::Desktop {
 public:
  HandOver(CoreThread& core, context::Desktop& desktop) : core_(core), desktop_(desktop) {}

  MessageAnswer messageBox(const std::string& text, const std::string& title, context::MessageButtons buttons,
                           context::MessageIcon icon, MessageAnswer defaultButton) override {
    return ask<MessageAnswer>([=, this] { return desktop_.messageBox(text, title, buttons, icon, defaultButton); },
                              escapeOf(buttons));
  }
  std::string inputBox(const std::string& prompt, const std::string& title, const std::string& defaultText) override {
    return ask<std::string>([=, this] { return desktop_.inputBox(prompt, title, defaultText); }, std::string());
  }
  std::optional<std::string> saveFileDialog(const std::string& filter, const std::string& suggestedPath) override {
    return ask<std::optional<std::string>>([=, this] { return desktop_.saveFileDialog(filter, suggestedPath); },
                                           std::nullopt);
  }
  std::optional<std::string> openFileDialog(const std::string& filter, const std::string& startPath) override {
    return ask<std::optional<std::string>>([=, this] { return desktop_.openFileDialog(filter, startPath); },
                                           std::nullopt);
  }
  // The core waits until the window has painted what it published, so a
  // notice set before a long operation is on screen while it runs.
  void paintWindowNow() override {
    ask<bool>(
        [this] {
          desktop_.paintWindowNow();
          return true;
        },
        true);
  }
  void openFile(const std::string& path) override {
    tell([=, this] { desktop_.openFile(path); });
  }
  std::string programFolder() override { return core_.onCoreThread() ? folder_ : desktop_.programFolder(); }
  void quit(int status) override {
    tell([=, this] { desktop_.quit(status); });
  }

  void rememberFolder() { folder_ = desktop_.programFolder(); }

 private:
  static MessageAnswer escapeOf(context::MessageButtons b) {
    switch (b) {
      case context::MessageButtons::OK: return MessageAnswer::OK;
      case context::MessageButtons::YesNo: return MessageAnswer::No;
      default: return MessageAnswer::Cancel;
    }
  }

  void tell(std::function<void()> call) {
    if (!core_.onCoreThread()) return call();
    core_.window_.run(std::move(call));
  }

  template <typename T>
  T ask(std::function<T()> dialog, T escape) {
    if (!core_.onCoreThread()) return dialog();
    // The window shows the state that led to the dialog.
    core_.publish();
    struct Pending {
      bool done = false;
      bool abandoned = false;
      std::optional<T> answer;
    };
    auto pending = std::make_shared<Pending>();
    {
      std::lock_guard<std::mutex> lock(core_.mutex_);
      if (core_.stopping_) return escape;
    }
    CoreThread& core = core_;
    core_.window_.run([&core, pending, dialog = std::move(dialog)] {
      {
        std::lock_guard<std::mutex> lock(core.mutex_);
        if (pending->abandoned) return;
      }
      T answer = dialog();
      {
        std::lock_guard<std::mutex> lock(core.mutex_);
        pending->answer = std::move(answer);
        pending->done = true;
      }
      core.wake_.notify_all();
    });
    std::unique_lock<std::mutex> lock(core_.mutex_);
    core_.wake_.wait(lock, [&] { return pending->done || core_.stopping_; });
    // The box blocked the timer: what it asked for meanwhile is dropped.
    core_.tickPending_ = false;
    if (!pending->done) {
      pending->abandoned = true;
      return escape;
    }
    return std::move(*pending->answer);
  }

  CoreThread& core_;
  context::Desktop& desktop_;
  std::string folder_;
};

CoreThread::CoreThread(WindowThread& window, context::Desktop& desktop)
    : window_(window), handOver_(std::make_unique<HandOver>(*this, desktop)) {}

CoreThread::~CoreThread() { stop(); }

context::Desktop& CoreThread::desktop() { return *handOver_; }

void CoreThread::start(Monitor& m) {
  m_ = &m;
  handOver_->rememberFolder();
  staged_ = std::make_unique<context::MainWindowModel>();
  publish();
  std::lock_guard<std::mutex> lock(mutex_);
  thread_ = std::thread([this] { loop(); });
  coreId_ = thread_.get_id();
}

std::uint64_t CoreThread::post(int control, Event event, bool focused) {
  std::uint64_t number = 0;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (stopping_ || !thread_.joinable()) return 0;
    number = ++posted_;
    queue_.push_back({number, control, std::move(event), focused, false});
  }
  wake_.notify_all();
  return number;
}

void CoreThread::requestTick() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (stopping_ || tickPending_ || !thread_.joinable()) return;
    tickPending_ = true;
  }
  wake_.notify_all();
}

void CoreThread::stop(Event last) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!thread_.joinable() || stopping_) return;
    stopping_ = true;
    queue_.clear();
    tickPending_ = false;
    if (last) queue_.push_back({++posted_, -1, std::move(last), false, false});
  }
  wake_.notify_all();
  thread_.join();
}

void CoreThread::loop() {
  {
    std::lock_guard<std::mutex> lock(mutex_);  // start() has set coreId_
  }
  for (;;) {
    Item item;
    bool last = false;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      wake_.wait(lock, [this] { return stopping_ || !queue_.empty() || tickPending_; });
      if (stopping_ && queue_.empty()) break;
      last = stopping_;
      if (!queue_.empty()) {
        item = std::move(queue_.front());
        queue_.pop_front();
        taken_ = item.number;
      } else {
        tickPending_ = false;
        item.tick = true;
      }
      busy_ = true;
    }
    if (last) {
      item.event(*m_, nullptr);
    } else {
      runItem(item);
    }
    publish();
    {
      std::lock_guard<std::mutex> lock(mutex_);
      busy_ = false;
    }
    idle_.notify_all();
  }
  std::lock_guard<std::mutex> lock(mutex_);
  busy_ = false;
  idle_.notify_all();
}

void CoreThread::runItem(Item& item) {
#ifdef KESTRAV_PLANT_HANDOVER_RACE
  ++plantedEventsRun;
  char note[sizeof plantedLastEvent] = "an event of the core thread";
  std::memcpy(plantedLastEvent, note, plantedNoteSize);
#endif
  if (item.tick) {
    timerTick(*m_);
    return;
  }
  Control* c = item.control >= 0 ? m_->ui.all()[static_cast<std::size_t>(item.control)] : nullptr;
  // What the desktop would not have delivered to the control as it is now.
  if (c != nullptr && (!c->enabled() || !c->visible())) return;
  if (c != nullptr && item.focused && m_->ui.focused() != c) return;
  item.event(*m_, c);
}

void CoreThread::publish() {
  const std::vector<Control*>& from = m_->ui.all();
  int focus = -1;
  for (std::size_t i = 0; i < from.size(); ++i)
    if (from[i] == m_->ui.focused()) focus = static_cast<int>(i);
  bool notify = false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    const std::vector<Control*>& to = staged_->all();
    for (std::size_t i = 0; i < from.size(); ++i)
      if (to[i]->revision() != from[i]->revision()) to[i]->copyStateFrom(*from[i]);
    stagedFocus_ = focus;
    stagedTaken_ = taken_;
    published_ = true;
    notify = !renderPending_;
    renderPending_ = true;
  }
  if (notify) window_.modelPublished();
}

bool CoreThread::takePublished(context::MainWindowModel& shown) {
  std::lock_guard<std::mutex> lock(mutex_);
  renderPending_ = false;
  if (!published_) return false;
  published_ = false;
  shownTaken_ = stagedTaken_;
  const std::vector<Control*>& from = staged_->all();
  const std::vector<Control*>& to = shown.all();
  for (std::size_t i = 0; i < from.size(); ++i)
    if (to[i]->revision() != from[i]->revision()) to[i]->copyStateFrom(*from[i]);
  if (stagedFocus_ < 0) {
    shown.clearFocus();
  } else {
    shown.setFocus(*to[static_cast<std::size_t>(stagedFocus_)]);  // no handlers there: no events
  }
  return true;
}

bool CoreThread::idle() {
#ifdef KESTRAV_PLANT_HANDOVER_RACE
  if (plantedEventsRun < 0) return false;
  char note[sizeof plantedLastEvent];
  std::memcpy(note, plantedLastEvent, plantedNoteSize);
  if (note[0] == '!') return false;
#endif
  std::lock_guard<std::mutex> lock(mutex_);
  return queue_.empty() && !tickPending_ && !busy_;
}

bool CoreThread::waitIdle(int ms) {
  std::unique_lock<std::mutex> lock(mutex_);
  return idle_.wait_for(lock, std::chrono::milliseconds(ms),
                        [this] { return queue_.empty() && !tickPending_ && !busy_; });
}

}  // namespace kestrav::app
