#include "headless/LogRun.h"

#include <algorithm>
#include <chrono>
#include <optional>

#include "app/PortChoice.h"
#include "config/StackConfigFile.h"
#include "config/Thresholds.h"
#include "context/Shutdown.h"
#include "datalog/Journal.h"
#include "headless/CollectionTimes.h"
#include "headless/FilesAhead.h"
#include "headless/Pace.h"
#include "headless/Progress.h"

namespace kestrav::headless {

namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kProgram = "kestrav-log";
constexpr double kLongestInterval = 26213.6;  // 32767 samples of 0.8 s
constexpr const char* kLongestIntervalText = "26213.6";
// With --keep-going a garbled identification is asked again, up to three
// times within a second, before the bridge is taken for lost.
constexpr int kIdentificationRetries = 3;

std::string quoted(const std::string& s) { return "\"" + s + "\""; }

// kestrav-log's save before every end, the program's own and those it did
// not choose: the ring goes to the --out workbook (the VIEW export), never
// to a last-datalog file, and the journal is closed. Returns the note that
// names both, for the program's line on stderr; `saved` tells whether the
// workbook was written.
std::string saveToWorkbook(Session& s, bool* saved = nullptr) {
  context::Monitor& m = s.monitor();
  const bool written = !s.exportDatalog();
  if (saved != nullptr) *saved = written;
  std::string note = (written ? "the datalog is saved in " : "the datalog could not be saved in ") + quoted(m.datalog.NewFile);
  if (m.journal.isOpen()) note += ", its journal is " + quoted(m.journal.path());
  datalog::endJournal(m);
  return note;
}

class TimedCollection {
 public:
  TimedCollection(Session& s, const LogOptions& o, Console& console, StopSignals& signals)
      : s_(s), m_(s.monitor()), o_(o), console_(console), signals_(signals),
        progress_(console, std::string(kProgram) + ": "), pace_(makePace(o, m_)) {}

  int run();

 private:
  // A signal: the same save as a lost bridge, then the end a shell expects.
  [[noreturn]] void endOnSignal(int signo);
  // The program's line for an end it did not choose: the reason, then what
  // was saved (the hook saves a ring that holds samples; an empty one is
  // saved here, so the workbook is there whatever happened).
  void tellEnd(const std::string& reason);
  void report(Clock::time_point now);

  Session& s_;
  context::Monitor& m_;  // what the progress and the ends read
  const LogOptions& o_;
  Console& console_;
  StopSignals& signals_;
  ProgressReport progress_;
  std::unique_ptr<CollectionPace> pace_;
  Clock::time_point start_, end_;
  ProgressFigures figures_;
};

int TimedCollection::run() {
  const auto interval = pace_->interval();
  start_ = Clock::now();
  end_ = collectionEnd(start_, o_.seconds);
  Clock::time_point next = start_ + interval;
  report(start_);
  while (Clock::now() < end_) {
    if (const int signo = signals_.waitUntil(std::min(next, end_)); signo != 0) endOnSignal(signo);
    if (Clock::now() >= end_) break;
    const bool sample = pace_->step(s_);
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
      s_.restartDatalog();
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
  saveToWorkbook(s_, &saved);
  return journalKept && saved ? kExitDone : kExitFailed;
}

void TimedCollection::endOnSignal(int signo) {
  context::endOnSignal(m_, signo);
  tellEnd(std::string(kProgram) + ": ended by " + context::signalName(signo));
  StopSignals::endWith(signo);
}

void TimedCollection::tellEnd(const std::string& reason) {
  console_.endStatus();
  if (m_.endNote.empty()) m_.endNote = saveToWorkbook(s_);
  console_.line(reason + "; " + m_.endNote);
}

void TimedCollection::report(Clock::time_point now) {
  collectionTimes(figures_, start_, end_, now);
  stackCellRange(m_, figures_);
  pace_->addFigures(figures_, now - start_);
  progress_.update(figures_);
}

}  // namespace

Failure writeThresholds(Session& s, const std::string& vuv, const std::string& vov) {
  // A pair the boxes refuse, or a box that kept the code before, would give
  // the chips a pair nobody asked for: nothing is written then.
  if (Failure f = s.setAllThresholds(config::leadingNumber(vuv), config::leadingNumber(vov))) return f;
  return s.writeConfig(s.monitor().stack.BRDnumber, true);
}

std::string intervalAnswer(const LogOptions& o) {
  // Fast passes come many to the set-up's 0.8 s: the largest ring keeps the most of them.
  return o.seconds > kLongestInterval || o.pace == LogPace::Fast ? kLongestIntervalText : o.secondsText;
}

namespace {

// Everything before collection: the identification, the stack size, the
// thresholds and the set-up. The exit status of a run that ends here, or
// nothing when collection runs.
std::optional<int> setUpCollection(Session& s, const LogOptions& o,
                                   const std::optional<config::StackConfig>& stackConfig, Console& console) {
  // A lost bridge is told as the refusal it is; anything else by its reason.
  const auto ended = [&](const Failure& f, const std::string& about = "") {
    console.line(f.kind == Fault::Lost || f.kind == Fault::Refused
                     ? app::refusalLine(kProgram, app::portName(o.port), s.identification())
                     : std::string(kProgram) + ": " + about + f.text);
    return kExitFailed;
  };
  if (const Failure f = s.start()) return ended(f);
  if (stackConfig) {
    if (const Failure f = s.writeStackConfig(*stackConfig)) return ended(f);
  } else {
    if (const Failure f = s.setBoards(o.boards)) return ended(f);
    if (o.vuv && o.vov)
      if (const Failure f = writeThresholds(s, *o.vuv, *o.vov))
        return ended(f, "--vuv " + *o.vuv + " --vov " + *o.vov + " were not written: ");
  }
  if (const Failure f = s.createDatalog(o.out, intervalAnswer(o))) return ended(f);
  return std::nullopt;
}

}  // namespace

int runLog(Session& s, const LogOptions& given, Console& console, StopSignals& signals) {
  context::Monitor& m = s.monitor();
  // A configuration file is read, whole, before anything else: it gives the
  // stack size the journal's columns are made for.
  LogOptions o = given;
  std::optional<config::StackConfig> stackConfig;
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
    o.boards = read.config->boards;
    stackConfig = std::move(read.config);
  }
  m.saveBeforeEnd = [&s](context::Monitor&) { return saveToWorkbook(s); };
  if (const std::string refusal = prepareFiles(m, o); !refusal.empty()) {
    console.line(std::string(kProgram) + ": " + refusal);
    return kExitUsage;
  }
  if (o.keepGoing) m.identificationRetries = kIdentificationRetries;
  if (const std::optional<int> ended = setUpCollection(s, o, stackConfig, console)) {
    // Nothing was collected: the journal made ahead goes again.
    datalog::discardJournalAhead(m);
    return *ended;
  }
  return TimedCollection(s, o, console, signals).run();
}

}  // namespace kestrav::headless
