#pragma once
// One bridge transaction as the traffic log keeps it and a trace file writes
// it: when it ended, what went out, what came back, and for the four reads
// whether the chip's packet error code matched.

#include <cstdint>
#include <string>
#include <string_view>

#include "context/ReadingObserver.h"
#include "link/TransactionObserver.h"

namespace kestrav::history {

enum class PecVerdict { None, Match, Mismatch, Incomplete };

struct TrafficEntry {
  std::uint64_t sequence = 0;  // 1 for the first transaction of the run
  context::TimePoint time;
  std::string written;
  std::size_t requested = 0;
  std::size_t received = 0;
  std::string reply;
  PecVerdict verdict = PecVerdict::None;
};

// Judges a read's reply the way the program does: it must have arrived in
// full, and the CRC-8 over its register bytes must equal the PEC byte that
// ends it. Identification and writes get None.
PecVerdict judge(const link::Transaction& t);

const char* verdictText(PecVerdict v);  // "match", "mismatch", "incomplete", ""

// The board address a command string names ("81"), empty for broadcasts and
// the identification.
std::string addressOf(std::string_view written);
// The command's name: "IZ", "WRCFG", "RDCFG", "RDCV", "RDFLG", "RDTMP",
// "STCVAD", "STOWAD", "STTMPAD", "PLADC", "PLINT"; "?" for anything else.
std::string commandOf(std::string_view written);

// Text with every byte outside printable ASCII as \xNN (backslash as \\), so
// that a garbled reply can never break a line or a tab-separated field.
std::string printable(std::string_view text);

// One tab-separated line, without its end: time, written, requested,
// received, reply, verdict.
std::string traceLine(const TrafficEntry& e);

// Who takes each transaction: the traffic log, a trace file.
class TrafficSink {
 public:
  virtual ~TrafficSink() = default;
  virtual void record(const TrafficEntry& e) = 0;
};

}  // namespace kestrav::history
