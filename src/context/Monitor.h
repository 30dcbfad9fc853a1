#pragma once
// The context every routine works on: the board stack, the bridge link, the
// PEC table, the window model and the desktop. One per program run; nothing
// of it is global.

#include <chrono>
#include <memory>
#include <string>

#include "context/Clock.h"
#include "context/Desktop.h"
#include "context/JournalFile.h"
#include "context/Shutdown.h"
#include "context/MainWindowModel.h"
#include "context/ReadingObserver.h"
#include "context/RunObserver.h"
#include "state/DatalogState.h"
#include "link/BridgeLink.h"
#include "link/PecTable.h"
#include "state/BoardStack.h"

namespace kestrav::context {

// Exit status when the bridge does not (or no longer) name the expected chip.
inline constexpr int kExitRefused = 1;

struct Monitor {
  Monitor(std::unique_ptr<link::BridgePort> port, Desktop& desktop, Clock& clock);
  Monitor(const Monitor&) = delete;
  Monitor& operator=(const Monitor&) = delete;

  state::BoardStack stack;
  link::BridgeLink link;
  link::PecTable pecTable;
  state::DatalogState datalog;
  JournalFile journal;  // the datalog's journal file, while one is open
  MainWindowModel ui;
  Desktop& desktop;
  Clock& clock;

  // Who keeps the history of accepted readings; nullptr for nobody.
  ReadingObserver* readingObserver = nullptr;
  // Who watches the run from outside (journal lines, handler ends); nullptr for nobody.
  RunObserver* runObserver = nullptr;

  // The nine characters of the last identification, and when it ran.
  std::string identification;
  // How many times the heartbeat asks again, within a second, before a
  // failed identification is taken for a lost bridge: none for the window,
  // where one garbled reply ends the program; a long unattended datalog
  // may ride out line noise.
  int identificationRetries = 0;
  std::chrono::system_clock::time_point identifiedAt{};

  // Set by the program: saves a datalog's ring before a lost bridge or a
  // signal ends the program (context/Shutdown.h).
  SaveBeforeEnd saveBeforeEnd;
  // What that save reported, for the program's last line on stderr.
  std::string endNote;

  // Program lifetime: once ended, no routine runs any more.
  bool ended() const { return ended_; }
  int exitStatus() const { return exitStatus_; }
  void end(int status);

  // Depth of event handlers on the call stack: a timer tick never starts
  // while another event (or a dialog opened inside one) is still running.
  int handlerDepth = 0;

 private:
  bool ended_ = false;
  int exitStatus_ = 0;
};

}  // namespace kestrav::context
