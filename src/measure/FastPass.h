#pragma once
// A fast pass of the stack, beside the window's timer-paced cycle: every
// board read in one go, with the cycle's own read routines, strings, PEC
// checks and retries.
//
// One pass:
//   1. the bridge identification, when the last one is `identifyEvery` old
//      (it waits out its read time-out, so not on every pass);
//   2. a broadcast STCVAD ("MSxS10X"), `settle`, RDCV of every board;
//   3. a broadcast STTMPAD ("MSxS30X"), `settle`, RDTMP of every board;
//   4. RDFLG of every board;
//   5. while a datalog collects: RDCFG of every board;
//   6. the cell statuses of every board classified and painted from the
//      flags just read;
//   7. while a datalog collects: one sample of every board, each with its
//      own fresh readings (the ring wraps as in the cycle).
// The starts are sent as broadcasts whatever the boards' broadcast choices;
// those choices (and the Check5 boxes) are left as the user set them. A
// read that hears nothing at all is followed by an identification at once,
// so a lost bridge ends the program as the window's heartbeat would.
//
// The pass works whether or not the measurement cycle runs (OnOff): the
// reads address each board in turn (BRDread), which is restored afterwards.
// A read that gives up after its attempts has told the user, stopped the
// cycle as it does there (a pass started with OnOff = 0 runs as a cycle of
// its own and ends stopped the same way), and stops the pass.

#include <chrono>

#include "context/Monitor.h"
#include "state/BoardStack.h"

namespace kestrav::measure {

struct FastPassOptions {
  // Waited after each broadcast conversion start, for a rig whose chips
  // need longer to convert than the bridge transaction that follows the
  // start takes; 0 waits nothing, like the cycle.
  std::chrono::milliseconds settle{0};
  // The identification runs at the start of a pass when the last one (any
  // identification: start-up, a tick, a pass) is at least this old.
  std::chrono::milliseconds identifyEvery{5000};
};

enum class FastPassEnd {
  Done,        // every board read; statuses classified; the sample taken while collecting
  GaveUp,      // a read gave up after its attempts: the pass stopped there (see above)
  BridgeLost,  // the bridge no longer names the chip: the program has ended (m.ended())
};

struct FastPassResult {
  FastPassEnd end = FastPassEnd::Done;
  // For GaveUp: the board (0-based) and the read that gave up.
  int board = -1;
  state::ReadCommand command = state::ReadCommand::RDCV;
  bool identified = false;  // the identification ran in this pass
  bool sampled = false;     // a datalog sample was recorded
};

FastPassResult fastPass(context::Monitor& m, const FastPassOptions& options = {});

}  // namespace kestrav::measure
