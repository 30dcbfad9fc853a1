#include "commands/ReadConfig.h"

#include "commands/PecVerification.h"
#include "display/ReadingDisplays.h"
#include "link/CommandStrings.h"
#include "link/ReplyBytes.h"
#include "state/HexText.h"

namespace kestrav::commands {

namespace {
constexpr int kVUVregister = 4;
constexpr int kVOVregister = 5;
constexpr double kVoltsPerThresholdStep = 0.024;

std::string thresholdText(const std::string& registerText) {
  return state::fixed(state::leadingHexValue(registerText) * kVoltsPerThresholdStep, 3) + "V ";
}
}  // namespace

void RDCFG_ADDRESSABLE_PEC(context::Monitor& m) {
  if (!readVerified(m, state::ReadCommand::RDCFG)) return;
  state::BoardStack& s = m.stack;
  state::BoardRecord& target = s.board[link::readTargetBoard(s)];
  const std::string& reply = m.link.reply(state::ReadCommand::RDCFG);
  for (std::size_t k = 0; k < target.CFGRread.size(); ++k)
    target.CFGRread[k] = state::hexByte(link::pairValue(reply, 4 + 2 * k));
  s.RDCFGflag = 1;
  display::DISPLAY_RDCFG(m);
  READ_VUV_VOV(m);
}

void READ_VUV_VOV(context::Monitor& m) {
  state::BoardStack& s = m.stack;
  for (int b = 0; b <= s.CARDSTACK; ++b) {
    s.board[b].VUVread = thresholdText(s.board[b].CFGRread[kVUVregister]);
    s.board[b].VOVread = thresholdText(s.board[b].CFGRread[kVOVregister]);
  }
}

void Compare_CFGR(context::Monitor& m) {
  const state::BoardRecord& b = m.stack.board[m.stack.BRDnumber];
  // Compared as numbers, so "0" prepared equals "00" read; never-read bytes count as 00.
  for (std::size_t k = 0; k < b.CFGRset.size(); ++k) {
    const bool differs = state::leadingHexValue(b.CFGRset[k]) != state::leadingHexValue(b.CFGRread[k]);
    m.ui.Text5[k].setBackColor(differs ? context::kRed : context::kWindowBackground);
  }
}

}  // namespace kestrav::commands
