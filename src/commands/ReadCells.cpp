#include "commands/ReadCells.h"

#include "commands/PecVerification.h"
#include "context/ReadingReports.h"
#include "display/ReadingDisplays.h"
#include "link/CommandStrings.h"
#include "state/HexText.h"

namespace kestrav::commands {

namespace {

constexpr std::size_t kFirstRegisterChar = 4;  // characters 0..3 echo address and command

char highDigit(std::string_view reply, int byte) {
  const std::size_t pos = kFirstRegisterChar + 2 * static_cast<std::size_t>(byte);
  return pos < reply.size() ? reply[pos] : ' ';
}
char lowDigit(std::string_view reply, int byte) {
  const std::size_t pos = kFirstRegisterChar + 2 * static_cast<std::size_t>(byte) + 1;
  return pos < reply.size() ? reply[pos] : ' ';
}

}  // namespace

std::string firstPackedReading(std::string_view reply, int firstByte) {
  return {lowDigit(reply, firstByte + 1), highDigit(reply, firstByte), lowDigit(reply, firstByte)};
}

std::string secondPackedReading(std::string_view reply, int firstByte) {
  return {highDigit(reply, firstByte + 2), lowDigit(reply, firstByte + 2), highDigit(reply, firstByte + 1)};
}

int readingCode(std::string_view hexText) {
  int code = 0;
  for (char ch : hexText) {
    const int d = state::hexDigitValue(ch);
    code = code * 16 + (d < 0 ? 0 : d);
  }
  return code;
}

void storeReading(state::BoardStack& s, int readingNumber, std::string hexText) {
  // Full scale 4095 is 6.144 V; worked in double, kept in single precision.
  s.READINGvolts[readingNumber] = static_cast<float>(readingCode(hexText) * 6.144 / 4095.0);
  s.READINGhex[readingNumber] = std::move(hexText);
}

void RDCV_ADDRESSABLE_PEC(context::Monitor& m) {
  if (!readVerified(m, state::ReadCommand::RDCV)) return;
  state::BoardStack& s = m.stack;
  const int target = link::readTargetBoard(s);
  const std::string& reply = m.link.reply(state::ReadCommand::RDCV);
  for (int p = 1; p <= 6; ++p) {
    const int firstByte = 3 * p - 3;
    storeReading(s, state::cellReading(target, 2 * p - 1), firstPackedReading(reply, firstByte));
    storeReading(s, state::cellReading(target, 2 * p), secondPackedReading(reply, firstByte));
  }
  s.RDCVflag = 1;
  context::reportAcceptedRead(m, state::ReadCommand::RDCV, target);
  display::Single_12CELL_Display(m);
}

}  // namespace kestrav::commands
