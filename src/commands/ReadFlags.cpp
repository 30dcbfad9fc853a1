#include "commands/ReadFlags.h"

#include "commands/PecVerification.h"
#include "context/ReadingReports.h"
#include "display/ReadingDisplays.h"
#include "link/CommandStrings.h"
#include "link/ReplyBytes.h"
#include "state/HexText.h"

namespace kestrav::commands {

void RDFLG_ADDRESSABLE_PEC(context::Monitor& m) {
  if (!readVerified(m, state::ReadCommand::RDFLG)) return;
  state::BoardStack& s = m.stack;
  state::BoardRecord& target = s.board[link::readTargetBoard(s)];
  const std::string& reply = m.link.reply(state::ReadCommand::RDFLG);
  // Stored byte for byte; which bit flags which cell is the status
  // classification's business.
  for (std::size_t k = 0; k < target.FLGRread.size(); ++k)
    target.FLGRread[k] = state::hexByte(link::pairValue(reply, 4 + 2 * k));
  context::reportAcceptedRead(m, state::ReadCommand::RDFLG, link::readTargetBoard(s));
  display::UPDATE_RDFLG_Display(m);
}

}  // namespace kestrav::commands
