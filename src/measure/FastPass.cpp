#include "measure/FastPass.h"

#include <thread>

#include "commands/Identification.h"
#include "commands/ReadCells.h"
#include "commands/ReadConfig.h"
#include "commands/ReadFlags.h"
#include "commands/ReadTemps.h"
#include "commands/Starts.h"
#include "datalog/Collection.h"
#include "display/CellStatus.h"
#include "measure/Continuous.h"

namespace kestrav::measure {

namespace {

using state::Broadcastable;
using state::ReadCommand;
using ReadRoutine = void (*)(context::Monitor&);

class Pass {
 public:
  Pass(context::Monitor& m, const FastPassOptions& o) : m_(m), o_(o), savedBoard_(m.stack.BRDread) {}

  FastPassResult run();

 private:
  bool identificationDue() const {
    const auto age = m_.clock.now() - m_.identifiedAt;
    // A clock set back makes the last identification look young for ever.
    return age >= o_.identifyEvery || age < std::chrono::system_clock::duration::zero();
  }
  // False once the pass must stop: the program ended or a read gave up.
  bool goingOn() const { return !m_.ended() && m_.stack.MEASURESKIPflag == 0; }
  bool start(Broadcastable c);
  bool readEveryBoard(ReadCommand c, ReadRoutine read);
  FastPassResult finish(FastPassEnd end);

  context::Monitor& m_;
  const FastPassOptions& o_;
  int savedBoard_;
  bool cycleOfItsOwn_ = false;
  FastPassResult result_;
};

bool Pass::start(Broadcastable c) {
  commands::sendBroadcastStart(m_, c);
  if (o_.settle > std::chrono::milliseconds::zero()) std::this_thread::sleep_for(o_.settle);
  return goingOn();
}

bool Pass::readEveryBoard(ReadCommand c, ReadRoutine read) {
  for (int b = 0; b <= m_.stack.CARDSTACK; ++b) {
    m_.stack.BRDread = b;
    read(m_);
    if (!goingOn()) {
      result_.board = b;
      result_.command = c;
      return false;
    }
    // Silence is the first sign of an unplugged bridge: ask at once rather
    // than at the next due identification.
    if (m_.link.lastReceived(c) == 0) {
      result_.identified = true;
      if (!commands::bridgeStillThere(m_)) return false;
    }
  }
  return true;
}

FastPassResult Pass::run() {
  state::BoardStack& s = m_.stack;
  if (identificationDue()) {
    result_.identified = true;
    if (!commands::bridgeStillThere(m_)) return finish(FastPassEnd::BridgeLost);
  }
  const bool collecting = s.OnOff == 1 && m_.datalog.DATACOLLECTflag == 1;
  if (s.OnOff != 1) {
    // Reads address BRDread only while a cycle runs.
    cycleOfItsOwn_ = true;
    s.OnOff = 1;
  }
  s.SINGLESHOTflag = 0;
  s.MEASURESKIPflag = 0;
  Check_AUTO_Click(m_);  // the cycle follows "PEC Match Only" before every step

  const bool read = start(Broadcastable::STCVAD) && readEveryBoard(ReadCommand::RDCV, commands::RDCV_ADDRESSABLE_PEC) &&
                    start(Broadcastable::STTMPAD) && readEveryBoard(ReadCommand::RDTMP, commands::RDTMP_ADDRESSABLE_PEC) &&
                    readEveryBoard(ReadCommand::RDFLG, commands::RDFLG_ADDRESSABLE_PEC) &&
                    (!collecting || readEveryBoard(ReadCommand::RDCFG, commands::RDCFG_ADDRESSABLE_PEC));
  if (m_.ended()) return finish(FastPassEnd::BridgeLost);
  if (!read) return finish(FastPassEnd::GaveUp);

  // Every board was read in this pass, the selected one too: its cell
  // symbols are as current as the overview.
  s.BRDread = s.BRDnumber;
  display::SET_CELLstatus(m_);
  display::DISPLAY_CELLstatus(m_);
  if (collecting) {
    state::DatalogState& d = m_.datalog;
    datalog::REPORT_DLOG_current(m_);
    datalog::COLLECT_DATA_xls(m_);
    if (d.DATApoint >= d.SETpoint + 1) {
      d.DATApoint = 1;
      s.CYCLEflag = 1;
    }
    result_.sampled = true;
  }
  return finish(FastPassEnd::Done);
}

FastPassResult Pass::finish(FastPassEnd end) {
  state::BoardStack& s = m_.stack;
  result_.end = end;
  if (end == FastPassEnd::GaveUp) {
    s.MEASURESKIPflag = 0;  // consumed here, as the cycle's step consumes it
    return result_;         // the stop of the cycle has set BRDread and OnOff
  }
  if (end == FastPassEnd::BridgeLost) return result_;
  s.BRDread = savedBoard_;
  if (cycleOfItsOwn_) s.OnOff = 0;
  return result_;
}

}  // namespace

FastPassResult fastPass(context::Monitor& m, const FastPassOptions& options) { return Pass(m, options).run(); }

}  // namespace kestrav::measure
