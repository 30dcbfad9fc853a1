#include "history/TrafficEntry.h"

#include <array>
#include <cstdio>
#include <vector>

#include "history/IsoTime.h"
#include "link/Crc8.h"
#include "link/ReplyBytes.h"

namespace kestrav::history {

namespace {

constexpr std::size_t kEchoChars = 4;  // the address and command code come back first

}  // namespace

PecVerdict judge(const link::Transaction& t) {
  if (!t.read) return PecVerdict::None;
  if (t.received < t.requested || t.requested < kEchoChars + 2) return PecVerdict::Incomplete;
  const std::size_t registerBytes = (t.requested - kEchoChars) / 2 - 1;
  std::vector<std::uint8_t> bytes(registerBytes);
  for (std::size_t k = 0; k < registerBytes; ++k) bytes[k] = link::pairValue(t.reply, kEchoChars + 2 * k);
  const std::uint8_t sent = link::pairValue(t.reply, kEchoChars + 2 * registerBytes);
  return link::crc8(bytes.data(), bytes.size()) == sent ? PecVerdict::Match : PecVerdict::Mismatch;
}

const char* verdictText(PecVerdict v) {
  switch (v) {
    case PecVerdict::Match: return "match";
    case PecVerdict::Mismatch: return "mismatch";
    case PecVerdict::Incomplete: return "incomplete";
    case PecVerdict::None: break;
  }
  return "";
}

std::string addressOf(std::string_view w) {
  // Addressed frames: "MSxT" or "MSxS", then the address 80..8F, then a
  // second token. A broadcast has the command code right after the prefix.
  if (w.size() < 9 || w.substr(0, 3) != "MSx") return {};
  const std::string_view first = w.substr(4, 2);
  if (first.size() == 2 && first[0] == '8' && (w[6] == 'T' || w[6] == 'S')) return std::string(first);
  return {};
}

std::string commandOf(std::string_view w) {
  if (w.substr(0, 2) == "IZ") return "IZ";
  if (w.substr(0, 3) != "MSx" || w.size() < 6) return "?";
  const std::size_t codeAt = addressOf(w).empty() ? 4 : 7;
  if (w.size() < codeAt + 2) return "?";
  static constexpr std::array<std::pair<std::string_view, const char*>, 10> kCodes{{
      {"01", "WRCFG"}, {"02", "RDCFG"}, {"04", "RDCV"}, {"06", "RDFLG"}, {"08", "RDTMP"},
      {"10", "STCVAD"}, {"20", "STOWAD"}, {"30", "STTMPAD"}, {"40", "PLADC"}, {"50", "PLINT"},
  }};
  const std::string_view code = w.substr(codeAt, 2);
  for (const auto& [hex, name] : kCodes)
    if (code == hex) return name;
  return "?";
}

std::string printable(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (unsigned char c : text) {
    if (c == '\\') {
      out += "\\\\";
    } else if (c >= 0x20 && c < 0x7F) {
      out += static_cast<char>(c);
    } else {
      char hex[5];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    }
  }
  return out;
}

std::string traceLine(const TrafficEntry& e) {
  std::string line = isoLocalTime(e.time);
  line += '\t';
  line += printable(e.written);
  line += '\t';
  line += std::to_string(e.requested);
  line += '\t';
  line += std::to_string(e.received);
  line += '\t';
  line += printable(e.reply);
  line += '\t';
  line += verdictText(e.verdict);
  return line;
}

}  // namespace kestrav::history
