#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "history/IsoTime.h"
#include "history/SpanCsv.h"
#include "history/TraceWriter.h"
#include "history/TrafficLog.h"
#include "history/TransactionTap.h"
#include "link/Crc8.h"
#include "support/FakeDesktop.h"

namespace kestrav::history {
namespace {

link::Transaction readOf(std::string reply, std::size_t requested = 12) {
  link::Transaction t;
  t.written = "MSxT81T06RRRRX";
  t.requested = requested;
  t.received = reply.size();
  t.reply = std::move(reply);
  t.read = state::ReadCommand::RDFLG;
  return t;
}

std::string flagReply(std::uint8_t a, std::uint8_t b, std::uint8_t c, int pecOffset = 0) {
  const std::uint8_t bytes[] = {a, b, c};
  char text[16];
  std::snprintf(text, sizeof text, "8106%02X%02X%02X%02X", a, b, c,
                static_cast<std::uint8_t>(link::crc8(bytes, 3) + pecOffset));
  return text;
}

TEST(TrafficVerdict, MatchMismatchIncompleteAndNoneForWrites) {
  EXPECT_EQ(judge(readOf(flagReply(0x01, 0x80, 0x0A))), PecVerdict::Match);
  EXPECT_EQ(judge(readOf(flagReply(0x01, 0x80, 0x0A, 1))), PecVerdict::Mismatch);
  EXPECT_EQ(judge(readOf(flagReply(0x01, 0x80, 0x0A).substr(0, 7))), PecVerdict::Incomplete);
  EXPECT_EQ(judge(readOf("")), PecVerdict::Incomplete);
  EXPECT_EQ(judge(readOf("8106000000" "00")), PecVerdict::Match);  // all zero is a valid reply
  link::Transaction write;
  write.written = "MSxS10X";
  EXPECT_EQ(judge(write), PecVerdict::None);
}

TEST(TrafficCommand, AddressAndNameOfEveryForm) {
  EXPECT_EQ(addressOf("MSxT81T04RRRRRRRRRRRRRRRRRRRX"), "81");
  EXPECT_EQ(commandOf("MSxT81T04RRRRRRRRRRRRRRRRRRRX"), "RDCV");
  EXPECT_EQ(addressOf("MSxS83S10X"), "83");
  EXPECT_EQ(commandOf("MSxS83S10X"), "STCVAD");
  EXPECT_EQ(addressOf("MSxS10X"), "");
  EXPECT_EQ(commandOf("MSxS10X"), "STCVAD");
  EXPECT_EQ(addressOf("MSxT01SE0S00S00S00S00S00X"), "");
  EXPECT_EQ(commandOf("MSxT01SE0S00S00S00S00S00X"), "WRCFG");
  EXPECT_EQ(commandOf("MSxT8AT01SE0S00S00S00S00S00X"), "WRCFG");
  EXPECT_EQ(addressOf("MSxT8AT01SE0S00S00S00S00S00X"), "8A");
  EXPECT_EQ(commandOf("IZ"), "IZ");
  EXPECT_EQ(commandOf("MSx"), "?");
  EXPECT_EQ(commandOf(""), "?");
  EXPECT_EQ(addressOf(""), "");
}

TEST(TrafficLine, TabSeparatedWithGarbleEscaped) {
  TrafficEntry e;
  e.time = test::FixedClock().now() + std::chrono::milliseconds(7);
  e.written = "MSxT81T06RRRRX";
  e.requested = 12;
  e.received = 5;
  e.reply = std::string("81\t0\n\\") ;
  e.verdict = PecVerdict::Incomplete;
  const std::string line = traceLine(e);
  EXPECT_EQ(line, isoLocalTime(e.time) + "\tMSxT81T06RRRRX\t12\t5\t81\\x090\\x0A\\\\\tincomplete");
  EXPECT_EQ(line.find('\n'), std::string::npos);
}

// Printable ASCII is 0x20..0x7E; everything else, DEL included, is \xNN.
TEST(TrafficLine, EveryByteOutsidePrintableAsciiIsEscaped) {
  EXPECT_EQ(printable(std::string("\x1F\x20\x7E\x7F\x80\xFF", 6)), "\\x1F ~\\x7F\\x80\\xFF");
  EXPECT_EQ(printable(std::string("\0A", 2)), "\\x00A");
  std::string all;
  for (int c = 0; c < 256; ++c) all += static_cast<char>(c);
  const std::string line = printable(all);
  for (const unsigned char c : line) EXPECT_TRUE(c >= 0x20 && c < 0x7F) << int(c);
  std::size_t escapes = 0;
  for (std::size_t at = line.find("\\x"); at != std::string::npos; at = line.find("\\x", at + 1)) ++escapes;
  EXPECT_EQ(escapes, 32u + 129u);  // 0x00-0x1F, 0x7F-0xFF
}

TEST(IsoTime, LocalTimeWithMillisecondsAndOffset) {
  // 2026-12-07 14:05:09.045 UTC; the test runs in whatever zone the machine has.
  const auto t = std::chrono::system_clock::time_point(std::chrono::milliseconds(1796652309045LL));
  const std::string s = isoLocalTime(t);
  ASSERT_EQ(s.size(), 29u) << s;
  EXPECT_EQ(s[10], 'T');
  EXPECT_EQ(s.substr(19, 4), ".045");
  EXPECT_TRUE(s[23] == '+' || s[23] == '-');
  EXPECT_EQ(s[26], ':');
  EXPECT_EQ(isoLocalTime(std::chrono::system_clock::time_point(std::chrono::milliseconds(-1))).substr(19, 4), ".999");
}

TEST(TrafficLog, KeepsTheLastEntriesAndCountsSinceTheStart) {
  test::FixedClock clock;
  TrafficLog log(3);
  TransactionTap tap(clock);
  tap.add(log);
  tap.transactionDone(readOf(flagReply(1, 2, 3)));
  tap.transactionDone(readOf(flagReply(1, 2, 3, 5)));
  tap.transactionDone(readOf("81"));
  tap.transactionDone(readOf(flagReply(1, 2, 3)));
  tap.transactionDone(readOf(flagReply(1, 2, 3)));
  EXPECT_EQ(log.size(), 3u);
  const TrafficCounts c = log.counts();
  EXPECT_EQ(c.transactions, 5u);
  EXPECT_EQ(c.mismatches, 1u);
  EXPECT_EQ(c.incomplete, 1u);
  const auto all = log.entriesAfter(0);
  ASSERT_EQ(all.size(), 3u);
  EXPECT_EQ(all.front().sequence, 3u);
  EXPECT_EQ(all.front().verdict, PecVerdict::Incomplete);
  EXPECT_EQ(log.entriesAfter(4).size(), 1u);
  EXPECT_TRUE(log.entriesAfter(5).empty());
  EXPECT_EQ(TrafficLog().counts().transactions, 0u);
}

TEST(TraceWriter, OneFlushedLinePerTransactionAndAClearErrorForABadPath) {
  const std::string path = testing::TempDir() + "kestrav-trace-test.tsv";
  std::string error;
  auto trace = TraceWriter::open(path, error);
  ASSERT_TRUE(trace) << error;
  test::FixedClock clock;
  TransactionTap tap(clock);
  tap.add(*trace);
  tap.transactionDone(readOf(flagReply(1, 2, 3)));
  link::Transaction start;
  start.written = "MSxS10X";
  tap.transactionDone(start);
  // Read back while the writer is still open: every line is already there.
  std::ifstream in(path);
  std::string first, second, third;
  ASSERT_TRUE(std::getline(in, first));
  ASSERT_TRUE(std::getline(in, second));
  EXPECT_FALSE(std::getline(in, third));
  EXPECT_EQ(first.substr(first.rfind('\t') + 1), "match");
  EXPECT_EQ(second.substr(29), "\tMSxS10X\t0\t0\t\t");
  EXPECT_TRUE(trace->healthy());

  EXPECT_EQ(TraceWriter::open("/nonexistent-folder/trace.tsv", error), nullptr);
  EXPECT_NE(error.find("/nonexistent-folder/trace.tsv"), std::string::npos);
  std::remove(path.c_str());
}

// A trace that cannot be written (a full disk) is told once, with the file
// and the reason; the lines after it are dropped.
TEST(TraceWriter, TheFirstFailedWriteIsToldOnceWithTheFileAndTheReason) {
  std::string error;
  auto trace = TraceWriter::open("/dev/full", error);
  ASSERT_TRUE(trace) << error;
  std::vector<std::string> told;
  trace->onFailure([&told](const std::string& what) { told.push_back(what); });
  test::FixedClock clock;
  TransactionTap tap(clock);
  tap.add(*trace);
  for (int i = 0; i < 3; ++i) tap.transactionDone(readOf(flagReply(1, 2, 3)));
  EXPECT_FALSE(trace->healthy());
  EXPECT_EQ(told, std::vector<std::string>{"cannot write /dev/full: No space left on device"});
}

TEST(SpanCsv, HeaderRowsAndEmptyCellsOfTenCellReadings) {
  CellSample twelve;
  twelve.time = test::FixedClock().now();
  twelve.volts.fill(3.25f);
  CellSample ten = twelve;
  ten.tenCells = true;
  std::ostringstream out;
  writeSpanCsv(out, 2, 12, {twelve, ten});
  const std::string csv = out.str();
  const std::string stamp = isoLocalTime(twelve.time);
  EXPECT_EQ(csv.substr(0, csv.find("\r\n")),
            "ISO TIME,BOARD,CELL1,CELL2,CELL3,CELL4,CELL5,CELL6,CELL7,CELL8,CELL9,CELL10,CELL11,CELL12");
  EXPECT_NE(csv.find("\r\n" + stamp + ",3,3.2500,3.2500"), std::string::npos);
  EXPECT_NE(csv.find(",3.2500,,\r\n"), std::string::npos);  // cells 11 and 12 of the ten-cell reading
  EXPECT_EQ(csv.substr(csv.size() - 2), "\r\n");
}

}  // namespace
}  // namespace kestrav::history
