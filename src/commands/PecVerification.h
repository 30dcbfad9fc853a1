#pragma once
// Judging each read's reply by its packet error code: accept it, accept it
// and show the mismatch, or throw it away and read again. Also the attempt
// loop every read command runs around that judgement.

#include <string>

#include "context/Monitor.h"
#include "state/BoardStack.h"

namespace kestrav::commands {

// A read gives up after this many thrown-away replies.
inline constexpr int kMaxReadAttempts = 10;

// The PECflag value that names a read command: 1 RDCFG, 2 RDCV, 3 RDFLG, 4 RDTMP.
constexpr int pecFlagOf(state::ReadCommand c) { return state::index(c) + 1; }

// Whether the last reply of `c` arrived in full. The link leaves the tail of
// the previous reply in the buffer when fewer characters arrive, and that
// stale tail (possibly another board's) must never pass as a verified reply.
bool replyArrivedInFull(const context::Monitor& m, state::ReadCommand c);

// Compares received and computed PEC in the selected board's slot, names the
// command in Label8(1), shows the result in Text8 and, on a mismatch, lowers
// the command's verdict when "PEC Match Only" asks for a retry. Sets PECflag.
void verifyLocal(context::Monitor& m, state::ReadCommand c);

// Paints the PEC mark of every board slot 0..CARDSTACK; lowers the verdict
// on a mismatch when a retry is asked for.
void verifyOverall(context::Monitor& m, state::ReadCommand c);

void PEC_GUI_vs_KESTRAV_RDCFG_local_restart(context::Monitor& m);
void PEC_GUI_vs_KESTRAV_RDCV_local_restart(context::Monitor& m);
void PEC_GUI_vs_KESTRAV_RDFLG_local_restart(context::Monitor& m);
void PEC_GUI_vs_KESTRAV_RDTMP_local_restart(context::Monitor& m);
void PEC_GUI_vs_KESTRAV_RDCFG_overall_restart(context::Monitor& m);
void PEC_GUI_vs_KESTRAV_RDCV_overall_restart(context::Monitor& m);
void PEC_GUI_vs_KESTRAV_RDFLG_overall_restart(context::Monitor& m);
void PEC_GUI_vs_KESTRAV_RDTMP_overall_restart(context::Monitor& m);

// The text of the message a read shows when it gives up.
std::string giveUpMessage(state::ReadCommand c);

// Runs attempts of read `c` on board readTargetBoard() until one is accepted
// (true: the reply buffer holds it, ready to decode) or ten were thrown away
// (false: the user has been told, MEASURESKIPflag is 1 and a running cycle
// has been stopped).
bool readVerified(context::Monitor& m, state::ReadCommand c);

}  // namespace kestrav::commands
