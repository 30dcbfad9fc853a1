#pragma once
// What a run does besides its readings, reported to whoever watches it from
// outside (the lab telemetry): every line the datalog's journal took, and the
// end of every event handler, after which the state of the run can be
// compared with what it was. Nothing the routines do depends on whether
// anybody listens.

#include <string>
#include <vector>

namespace kestrav::context {

struct Monitor;

class RunObserver {
 public:
  virtual ~RunObserver() = default;
  // A sample line was written (and flushed) to the journal at `journalPath`,
  // whose header has `boards` boards.
  virtual void sampleJournaled(const std::string& journalPath, int boards, const std::vector<std::string>& fields) = 0;
  // An event handler, tick or load handler has returned (or the program
  // ended inside it).
  virtual void handlerReturned(const Monitor& m) = 0;
  // The program ends (Monitor::end): the window closed, the bridge was lost
  // or a signal asked it to.
  virtual void ended(const Monitor& m) = 0;
};

}  // namespace kestrav::context
