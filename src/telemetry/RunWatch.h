#pragma once
// The lab telemetry's view of a run: it listens where the history store
// listens (every accepted reading, handed on to the store unchanged), to
// every journal line, and to the end of every event handler, where it
// compares the run's state with what it was to tell the datalog's events.

#include <array>
#include <optional>
#include <string>

#include "context/Monitor.h"
#include "context/ReadingObserver.h"
#include "context/RunObserver.h"
#include "telemetry/Publisher.h"

namespace kestrav::telemetry {

class RunWatch : public context::ReadingObserver, public context::RunObserver {
 public:
  // `program` names the program in the stack's description.
  RunWatch(Publisher& publisher, std::string program) : publisher_(publisher) { described_.program = std::move(program); }

  // Puts itself into the monitor's observer places; the reading observer
  // that was there before still gets every reading.
  void attach(context::Monitor& m);

  void cellsRead(context::TimePoint t, int board, const std::array<std::uint16_t, 12>& codes,
                 const context::BoardSettings& settings) override;
  void temperaturesRead(context::TimePoint t, int board, const std::array<std::uint16_t, 3>& codes) override;
  void flagsRead(context::TimePoint t, int board, const std::array<std::uint8_t, 3>& flags) override;
  void statusesShown(context::TimePoint t, int boards, std::span<const int> statuses) override;

  void sampleJournaled(const std::string& journalPath, int boards, const std::vector<std::string>& fields) override;
  void handlerReturned(const context::Monitor& m) override;
  void ended(const context::Monitor& m) override;

  // The program's own end (kestrav-log's collection done). Once only.
  void finish(const std::string& why, int status);

 private:
  struct RunState {
    bool setUp = false, running = false, skipped = false;
    int boardRead = 0;
  };
  void describeWhenChanged(const context::Monitor& m);

  Publisher& publisher_;
  context::ReadingObserver* next_ = nullptr;
  std::array<BoardReadings, 10> boards_{};
  std::optional<RunState> before_;
  StackDescription described_;
  bool finished_ = false;
};

}  // namespace kestrav::telemetry
