#include "headless/LogRun.h"

#include <algorithm>
#include <chrono>

#include "app/Events.h"
#include "app/PortChoice.h"
#include "app/UserSteps.h"
#include "context/Shutdown.h"
#include "datalog/Journal.h"
#include "config/StackConfigFile.h"
#include "headless/ConfigWrite.h"
#include "headless/Progress.h"

namespace kestrav::headless {

namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kProgram = "kestrav-log";
constexpr double kLongestInterval = 26213.6;  // 32767 samples of 0.8 s
constexpr const char* kLongestIntervalText = "26213.6";
constexpr int kCollectStep = 3;
constexpr int kWriteConfigCommand = 5;  // Check5(5): WRCFG  // the step of a datalog pass that records the sample

std::chrono::seconds wholeSeconds(Clock::duration d) { return std::chrono::floor<std::chrono::seconds>(d); }
// What is left is rounded up: "0:00:00 left" only once nothing is.
std::chrono::seconds secondsLeft(Clock::duration d) { return std::chrono::ceil<std::chrono::seconds>(d); }

std::string quoted(const std::string& s) { return "\"" + s + "\""; }

// The thresholds for every chip of the stack: global mode, both boxes
// typed, then WRITE CONFIG as a broadcast (an addressed write would reach
// the selected board only).
void writeThresholds(context::Monitor& m, const std::string& vuv, const std::string& vov) {
  app::chooseThresholdScope(m, true);
  app::typeThresholds(m, vuv, vov);
  app::setBroadcast(m, kWriteConfigCommand, true);
  app::writeConfig(m);
}

// kestrav-log's save before every end, the program's own and those it did
// not choose: the ring goes to the --out workbook (the VIEW export), never
// to a last-datalog file, and the journal is closed. Returns the note that
// names both, for the program's line on stderr; `saved` tells whether the
// workbook was written.
std::string saveToWorkbook(context::Monitor& m, HeadlessDesktop& desktop, bool* saved = nullptr) {
  const int shownBefore = desktop.messagesShown();
  app::exportRing(m);
  // A workbook that cannot be written is told in a message as it fails.
  const bool written = desktop.messagesShown() == shownBefore;
  if (saved != nullptr) *saved = written;
  std::string note = (written ? "the datalog is saved in " : "the datalog could not be saved in ") + quoted(m.datalog.NewFile);
  if (m.journal.isOpen()) note += ", its journal is " + quoted(m.journal.path());
  datalog::endJournal(m);
  return note;
}

class TimedCollection {
 public:
  TimedCollection(context::Monitor& m, HeadlessDesktop& desktop, const LogOptions& o, Console& console,
                  StopSignals& signals)
      : m_(m), desktop_(desktop), o_(o), console_(console), signals_(signals),
        progress_(console, std::string(kProgram) + ": ") {}

  int run();

 private:
  // A signal: the same save as a lost bridge, then the end a shell expects.
  [[noreturn]] void endOnSignal(int signo);
  // The program's line for an end it did not choose: the reason, then what
  // was saved (the hook saves a ring that holds samples; an empty one is
  // saved here, so the workbook is there whatever happened).
  void tellEnd(const std::string& reason);
  bool tickRecordsSample() const {
    return m_.stack.OnOff == 1 && m_.datalog.DATACOLLECTflag == 1 && m_.stack.MEASUREflag == kCollectStep;
  }
  void report(Clock::time_point now);

  context::Monitor& m_;
  HeadlessDesktop& desktop_;
  const LogOptions& o_;
  Console& console_;
  StopSignals& signals_;
  ProgressReport progress_;
  Clock::time_point start_, end_;
  ProgressFigures figures_;
};

int TimedCollection::run() {
  const auto interval = std::chrono::milliseconds(std::max(1, m_.ui.Timer1.interval()));
  start_ = Clock::now();
  end_ = start_ + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(o_.seconds));
  Clock::time_point next = start_ + interval;
  report(start_);
  while (Clock::now() < end_) {
    if (const int signo = signals_.waitUntil(std::min(next, end_)); signo != 0) endOnSignal(signo);
    if (Clock::now() >= end_) break;
    const bool sample = tickRecordsSample();
    app::timerTick(m_);
    if (m_.ended()) {  // the bridge is gone
      tellEnd(app::refusalLine(kProgram, app::portName(o_.port), m_.identification));
      return m_.exitStatus();
    }
    if (sample) ++figures_.samples;
    if (m_.stack.OnOff == 0) {  // a read gave up and stopped the cycle
      ++figures_.giveUps;
      if (!o_.keepGoing) {
        tellEnd(std::string(kProgram) + ": a read gave up and stopped the collection");
        return kExitFailed;
      }
      app::restartCollection(m_);
    }
    const Clock::time_point now = Clock::now();
    report(now);
    // Like a window timer, a tick that ran long is followed by the next at once.
    next = std::max(next + interval, now);
  }
  report(end_);
  console_.endStatus();
  // A journal that failed was told in a message when it did, and is no
  // longer wanted.
  const bool journalKept = m_.datalog.journal.wanted;
  bool saved = false;
  saveToWorkbook(m_, desktop_, &saved);
  return journalKept && saved ? kExitDone : kExitFailed;
}

void TimedCollection::endOnSignal(int signo) {
  context::endOnSignal(m_, signo);
  tellEnd(std::string(kProgram) + ": ended by " + context::signalName(signo));
  StopSignals::endWith(signo);
}

void TimedCollection::tellEnd(const std::string& reason) {
  console_.endStatus();
  if (m_.endNote.empty()) m_.endNote = saveToWorkbook(m_, desktop_);
  console_.line(reason + "; " + m_.endNote);
}

void TimedCollection::report(Clock::time_point now) {
  figures_.elapsed = wholeSeconds(now - start_);
  figures_.remaining = secondsLeft(std::max(end_ - now, Clock::duration::zero()));
  stackCellRange(m_, figures_);
  progress_.update(figures_);
}

}  // namespace

std::string intervalAnswer(const LogOptions& o) {
  return o.seconds > kLongestInterval ? kLongestIntervalText : o.secondsText;
}

int runLog(context::Monitor& m, HeadlessDesktop& desktop, const LogOptions& o, Console& console,
           StopSignals& signals) {
  std::optional<config::StackConfig> config;
  if (!o.configPath.empty()) {
    config::StackConfigFileResult read = config::readStackConfigFile(o.configPath);
    if (!read.ok()) {
      console.line(std::string(kProgram) + ": " + read.error);
      return kExitFailed;
    }
    if (o.boards != 0 && o.boards != read.config->boards) {
      console.line(std::string(kProgram) + ": --boards " + std::to_string(o.boards) + " but " + o.configPath +
                   " holds " + std::to_string(read.config->boards) + " boards");
      return kExitUsage;
    }
    config = std::move(read.config);
  }
  m.saveBeforeEnd = [&desktop](context::Monitor& monitor) { return saveToWorkbook(monitor, desktop); };
  app::wireMainWindow(m);
  app::loadMainWindow(m);
  if (m.ended()) {
    console.line(app::refusalLine(kProgram, app::portName(o.port), m.identification));
    return kExitFailed;
  }
  if (!config) {
    app::chooseBoards(m, o.boards);
    if (o.vuv && o.vov) writeThresholds(m, *o.vuv, *o.vov);
  } else if (const std::string failure = writeConfigToStack(m, *config); !failure.empty() || m.ended()) {
    console.line(m.ended() ? app::refusalLine(kProgram, app::portName(o.port), m.identification)
                           : std::string(kProgram) + ": " + failure);
    return kExitFailed;
  }
  if (!createSetup(m, desktop, o.out, intervalAnswer(o))) {
    console.line(std::string(kProgram) + ": the datalog set-up for " + o.out + " was not accepted");
    return kExitFailed;
  }
  return TimedCollection(m, desktop, o, console, signals).run();
}

}  // namespace kestrav::headless
