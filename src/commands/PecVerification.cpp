#include "commands/PecVerification.h"

#include <string>

#include "commands/Identification.h"
#include "commands/Starts.h"
#include "link/CommandStrings.h"
#include "link/PecTable.h"
#include "link/ReplyBytes.h"
#include "measure/Dispatcher.h"
#include "state/HexText.h"

namespace kestrav::commands {

using state::ReadCommand;

namespace {

constexpr int kContinuousButton = 10;

const char* commandCaption(ReadCommand c) {
  switch (c) {
    case ReadCommand::RDCFG: return "Command = 02 RDCFG";
    case ReadCommand::RDCV: return "Command = 04 RDCV";
    case ReadCommand::RDFLG: return "Command = 06 RDFLG";
    case ReadCommand::RDTMP: return "Command = 08 RDTMP";
  }
  return "";
}

const char* commandName(ReadCommand c) {
  switch (c) {
    case ReadCommand::RDCFG: return "CONFIG";
    case ReadCommand::RDCV: return "CELL VOLTAGE";
    case ReadCommand::RDFLG: return "FLAG";
    case ReadCommand::RDTMP: return "TEMP";
  }
  return "";
}

// A board slot's reply counts as matching only when it arrived whole and its
// received PEC equals the one computed over its register bytes.
bool slotMatches(const context::Monitor& m, ReadCommand c, int slot) {
  const state::BoardRecord& r = m.stack.board[slot];
  const int i = state::index(c);
  return replyArrivedInFull(m, c) && r.PECrx[i] == r.PECcalc[i];
}

// Cell and temperature registers need a fresh conversion before they are
// read again; configuration and flags are simply read again.
void afterThrownAway(context::Monitor& m, ReadCommand c) {
  if (c == ReadCommand::RDCV) STCVAD_BROADCAST(m);
  if (c == ReadCommand::RDTMP) STTMPAD_BROADCAST(m);
}

void giveUp(context::Monitor& m, ReadCommand c) {
  m.desktop.messageBox(giveUpMessage(c), context::kDefaultMessageTitle, context::MessageButtons::OK,
                       context::MessageIcon::None, context::MessageAnswer::OK);
  m.stack.MEASURESKIPflag = 1;
  // Only a running cycle retries, so the toggle is meant to stop it. Once an
  // earlier read of the same step has stopped it, toggling again would start
  // a new cycle on a stack that just failed.
  if (m.stack.OnOff == 1) measure::Command1_click(m, kContinuousButton);
}

}  // namespace

bool replyArrivedInFull(const context::Monitor& m, ReadCommand c) {
  return m.link.lastReceived(c) >= link::replyLength(c);
}

void verifyLocal(context::Monitor& m, ReadCommand c) {
  state::BoardStack& s = m.stack;
  const state::BoardRecord& r = s.board[s.BRDnumber];
  const std::string received = "0x" + state::hexByte(r.PECrx[state::index(c)]);
  const std::string computed = "0x" + state::hexByte(r.PECcalc[state::index(c)]);
  m.ui.Label8[1].setCaption("");
  m.ui.Label8[1].setCaption(commandCaption(c));
  if (slotMatches(m, c, s.BRDnumber)) {
    m.ui.Text8.setBackColor(context::kWindowBackground);
    m.ui.Text8.setText(received + " == " + computed);
  } else {
    // A read started from its button must never retry.
    if (s.SINGLESHOTflag == 1) s.AUTORESTARTflag = 0;
    if (s.AUTORESTARTflag == 0) {
      s.verdict(c) = state::kTrue;
      m.ui.Text8.setBackColor(context::kRed);
      m.ui.Text8.setText(received + " != " + computed);
    } else if (s.AUTORESTARTflag == 1) {
      s.verdict(c) = state::kFalse;  // Text8 keeps the last good result
    }
  }
  s.PECflag = pecFlagOf(c);
}

void verifyOverall(context::Monitor& m, ReadCommand c) {
  state::BoardStack& s = m.stack;
  for (int slot = 0; slot <= s.CARDSTACK; ++slot) {
    if (slotMatches(m, c, slot)) {
      m.ui.Shape12[slot].setFillColor(context::kGreen);
    } else if (s.AUTORESTARTflag == 0) {
      s.verdict(c) = state::kTrue;
      m.ui.Shape12[slot].setFillColor(context::kRed);
    } else {
      s.verdict(c) = state::kFalse;
    }
  }
}

void PEC_GUI_vs_KESTRAV_RDCFG_local_restart(context::Monitor& m) { verifyLocal(m, ReadCommand::RDCFG); }
void PEC_GUI_vs_KESTRAV_RDCV_local_restart(context::Monitor& m) { verifyLocal(m, ReadCommand::RDCV); }
void PEC_GUI_vs_KESTRAV_RDFLG_local_restart(context::Monitor& m) { verifyLocal(m, ReadCommand::RDFLG); }
void PEC_GUI_vs_KESTRAV_RDTMP_local_restart(context::Monitor& m) { verifyLocal(m, ReadCommand::RDTMP); }
void PEC_GUI_vs_KESTRAV_RDCFG_overall_restart(context::Monitor& m) { verifyOverall(m, ReadCommand::RDCFG); }
void PEC_GUI_vs_KESTRAV_RDCV_overall_restart(context::Monitor& m) { verifyOverall(m, ReadCommand::RDCV); }
void PEC_GUI_vs_KESTRAV_RDFLG_overall_restart(context::Monitor& m) { verifyOverall(m, ReadCommand::RDFLG); }
void PEC_GUI_vs_KESTRAV_RDTMP_overall_restart(context::Monitor& m) { verifyOverall(m, ReadCommand::RDTMP); }

std::string giveUpMessage(ReadCommand c) {
  return std::string("Excessive READ ") + commandName(c) + " Communication Errors! " +
         "Please configure jumper settings for address pins A0 to A3 correctly. " +
         "Then check all power cell connections and " + "SPI ribbon connections between boards.";
}

bool readVerified(context::Monitor& m, ReadCommand c) {
  if (m.ended()) return false;  // the bridge went earlier in this step
  state::BoardStack& s = m.stack;
  bool heardAnything = false;
  for (int attempt = 0; attempt < kMaxReadAttempts; ++attempt) {
    s.verdict(c) = state::kTrue;
    heardAnything = m.link.read(c, link::readCommandString(s, c)) > 0 || heardAnything;
    link::createByteArray(s, m.link.reply(c), c);
    link::calculatePec(s, m.pecTable, c);
    verifyLocal(m, c);
    if (s.verdict(c) == state::kTrue) verifyOverall(m, c);
    if (s.verdict(c) == state::kTrue) return true;
    afterThrownAway(m, c);
  }
  // Ten replies of silence: a bridge unplugged since the tick's
  // identification ends the program now, not after a box about jumpers.
  if (!heardAnything && !bridgeStillThere(m)) return false;
  giveUp(m, c);
  return false;
}

}  // namespace kestrav::commands
