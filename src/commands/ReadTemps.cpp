#include "commands/ReadTemps.h"

#include "commands/PecVerification.h"
#include "context/ReadingReports.h"
#include "commands/ReadCells.h"
#include "display/ReadingDisplays.h"
#include "link/CommandStrings.h"

namespace kestrav::commands {

namespace {
// Register layout: ETMP1 and ETMP2 packed in TMPR0..TMPR2, ITMP in TMPR3 and
// the low nibble of TMPR4 (its high nibble carries nothing we use).
constexpr int kExternalBytes = 0;
constexpr int kInternalBytes = 3;
constexpr int kETMP1 = 0, kETMP2 = 1, kITMP = 2;
}  // namespace

void RDTMP_ADDRESSABLE_PEC(context::Monitor& m) {
  if (!readVerified(m, state::ReadCommand::RDTMP)) return;
  state::BoardStack& s = m.stack;
  const int target = link::readTargetBoard(s);
  const std::string& reply = m.link.reply(state::ReadCommand::RDTMP);
  storeReading(s, state::temperatureReading(target, kETMP1), firstPackedReading(reply, kExternalBytes));
  storeReading(s, state::temperatureReading(target, kETMP2), secondPackedReading(reply, kExternalBytes));
  storeReading(s, state::temperatureReading(target, kITMP), firstPackedReading(reply, kInternalBytes));
  context::reportAcceptedRead(m, state::ReadCommand::RDTMP, target);
  display::UPDATE_RDTMP_Display(m);
}

}  // namespace kestrav::commands
