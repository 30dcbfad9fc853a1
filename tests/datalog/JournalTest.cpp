#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "TempFolder.h"
#include "app/Events.h"
#include "context/JournalFile.h"
#include "datalog/DatalogScript.h"
#include "datalog/Journal.h"
#include "support/DiskStandIn.h"

namespace kestrav::datalog {
namespace {

using test::MonitorFixture;

std::string contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// Lines of an RFC 4180 file split into fields; fails the test on a line
// that does not end in CRLF.
std::vector<std::vector<std::string>> parseCsv(const std::string& text) {
  std::vector<std::vector<std::string>> rows;
  std::vector<std::string> row;
  std::string field;
  bool quoted = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') field += text[++i];
      else if (c == '"') quoted = false;
      else field += c;
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      row.push_back(field);
      field.clear();
    } else if (c == '\r') {
      EXPECT_TRUE(i + 1 < text.size() && text[i + 1] == '\n') << "a CR without LF at " << i;
      row.push_back(field);
      field.clear();
      rows.push_back(row);
      row.clear();
      ++i;
    } else {
      EXPECT_NE(c, '\n') << "a bare LF at " << i;
      field += c;
    }
  }
  EXPECT_TRUE(row.empty() && field.empty()) << "the last line has no line end";
  return rows;
}

TEST(JournalFile, FieldsAreQuotedOnlyWhereTheyMustBe) {
  EXPECT_EQ(context::csvField("3.604"), "3.604");
  EXPECT_EQ(context::csvField(" 1.234"), " 1.234");
  EXPECT_EQ(context::csvField(""), "");
  EXPECT_EQ(context::csvField("E2, 00, 00."), "\"E2, 00, 00.\"");
  EXPECT_EQ(context::csvField("say \"hi\""), "\"say \"\"hi\"\"\"");
  EXPECT_EQ(context::csvField("two\nlines"), "\"two\nlines\"");
}

TEST(JournalFile, TakesTheFirstFreeNameAndNeverTouchesAnExistingFile) {
  test::TempFolder folder;
  EXPECT_EQ(context::numberedName(folder.file("run1.csv"), 3), folder.file("run1 (3).csv"));
  EXPECT_EQ(context::numberedName("/a.b/run1", 2), "/a.b/run1 (2)");
  std::ofstream(folder.file("run1.csv")) << "keep me";
  std::ofstream(folder.file("run1 (2).csv")) << "and me";

  context::JournalFile j;
  std::string reason;
  ASSERT_TRUE(j.create(folder.file("run1.csv"), &reason)) << reason;
  EXPECT_EQ(j.path(), folder.file("run1 (3).csv"));
  EXPECT_TRUE(j.appendLine({"a", "b,c"}, &reason));
  EXPECT_TRUE(j.appendLine({"1"}, &reason));
  j.close();
  EXPECT_FALSE(j.isOpen());
  EXPECT_EQ(contents(folder.file("run1 (3).csv")), "a,\"b,c\"\r\n1\r\n");
  EXPECT_EQ(contents(folder.file("run1.csv")), "keep me");
  EXPECT_EQ(contents(folder.file("run1 (2).csv")), "and me");

  EXPECT_FALSE(j.create(folder.file("no such folder/run1.csv"), &reason));
  EXPECT_FALSE(reason.empty());
  EXPECT_FALSE(j.appendLine({"x"}, &reason));
}

// A full disk takes part of a line and refuses the rest: the file goes back
// to its last whole line, and once there is room again lines follow whole.
TEST(JournalFile, ALineTheDiskTookInPartIsCutOffAgain) {
  test::TempFolder folder;
  test::DiskStandIn disk;
  context::JournalFile j;
  std::string reason;
  ASSERT_TRUE(j.create(folder.file("run.csv"), &reason)) << reason;
  ASSERT_TRUE(j.appendLine({"ISO TIME", "SAMPLE"}, &reason)) << reason;
  for (const std::size_t room : {0u, 1u, 7u, 8u}) {  // "2,3.604\r\n" is nine bytes
    SCOPED_TRACE(room);
    disk.fillAfter("run.csv", room);
    EXPECT_FALSE(j.appendLine({"2", "3.604"}, &reason));
    EXPECT_EQ(reason, "No space left on device");
    EXPECT_EQ(contents(folder.file("run.csv")), "ISO TIME,SAMPLE\r\n");
  }
  disk.makeRoom();
  EXPECT_TRUE(j.appendLine({"2", "3.604"}, &reason)) << reason;
  EXPECT_EQ(contents(folder.file("run.csv")), "ISO TIME,SAMPLE\r\n2,3.604\r\n");
}

// "Nothing lost on a power cut" rests on these: every line is on the disk
// before the next is written, and the new file's name is in its folder.
// A sync the disk refuses fails the line like a refused write.
TEST(JournalFile, EveryLineIsSyncedBeforeTheNextAndAFailedSyncIsAFailure) {
  test::TempFolder folder;
  test::DiskStandIn disk;
  context::JournalFile j;
  std::string reason;
  ASSERT_TRUE(j.create(folder.file("run.csv"), &reason)) << reason;
  const std::string folderName = folder.path().substr(folder.path().rfind('/') + 1);
  EXPECT_EQ(disk.callsTo(folderName), std::vector<std::string>{"fsync"});
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(j.appendLine({std::to_string(i)}, &reason)) << reason;
  EXPECT_EQ(disk.callsTo("run.csv"),
            (std::vector<std::string>{"write", "fdatasync", "write", "fdatasync", "write", "fdatasync"}));

  disk.failSyncs("run.csv", EIO);
  EXPECT_FALSE(j.appendLine({"3"}, &reason));
  EXPECT_EQ(reason, "Input/output error");
}

TEST(JournalNames, BesideTheWorkbook) {
  EXPECT_EQ(journalNameFor("/data/run1.xls"), "/data/run1.csv");
  EXPECT_EQ(journalNameFor("/data/RUN1.XLS"), "/data/RUN1.csv");
  EXPECT_EQ(journalNameFor("/data/run1"), "/data/run1.csv");
}

TEST(JournalTime, IsoLocalTimeWithOffsetAndMilliseconds) {
  const auto t = std::chrono::system_clock::time_point(std::chrono::milliseconds(1796652309250));
  setenv("TZ", "CET-1", 1);
  tzset();
  EXPECT_EQ(isoLocalTime(t), "2026-12-07T15:05:09.250+01:00");
  setenv("TZ", "EST+5", 1);
  tzset();
  EXPECT_EQ(isoLocalTime(t), "2026-12-07T09:05:09.250-05:00");
  test::pinLocalTimeToUtc();
  EXPECT_EQ(isoLocalTime(t), "2026-12-07T14:05:09.250+00:00");
  EXPECT_EQ(isoLocalTime(std::chrono::system_clock::time_point(std::chrono::milliseconds(-1))),
            "1969-12-31T23:59:59.999+00:00");
}

// Two simulated boards collecting a datalog of `interval` seconds into a
// workbook of the folder.
context::Monitor& collecting(MonitorFixture& f, const std::string& folder, const std::string& interval) {
  context::Monitor& m = f.startOnSimulator();
  m.ui.Combo1.setListIndex(1);
  f.desktop.folder = folder;
  test::scriptAcceptedSetup(f.desktop, folder + "/run.xls", interval);
  m.ui.mnuCreateNewSetup.raiseClick();
  return m;
}

void samples(context::Monitor& m, int n) {
  for (int i = 0; i < 4 * n; ++i) app::timerTick(m);
}

TEST(Journal, EverySampleOfTheRunInTheWorkbooksColumnsAcrossTheWrap) {
  test::pinLocalTimeToUtc();
  test::TempFolder folder;
  MonitorFixture f;
  context::Monitor& m = collecting(f, folder.path(), "2.4");  // a ring of 3
  const std::string path = folder.file("run.csv");
  EXPECT_FALSE(std::filesystem::exists(path)) << "created at the first sample";

  std::vector<std::vector<std::string>> expected;
  for (int s = 1; s <= 5; ++s) {
    const int point = m.datalog.DATApoint;
    samples(m, 1);
    expected.push_back(journalLine(m, point, s, 2, "2026-12-07T14:05:09.000+00:00"));
    f.clock.when += std::chrono::seconds(1);
  }
  ASSERT_EQ(m.stack.CYCLEflag, 1);
  const auto rows = parseCsv(contents(path));
  ASSERT_EQ(rows.size(), 6u);
  ASSERT_EQ(rows[0].size(), 43u);
  EXPECT_EQ(rows[0][0], "ISO TIME");
  EXPECT_EQ(rows[0][1], "SAMPLE");
  EXPECT_EQ(rows[0][2], "TIME STAMP");
  EXPECT_EQ(rows[0][3], "(1) RD-CFGR0-5");
  EXPECT_EQ(rows[0][7], "(1) CV 1");
  EXPECT_EQ(rows[0][19], "(1) CELL1 - CELL12 STATUS");
  EXPECT_EQ(rows[0][42], "(2) ITMP1");
  for (std::size_t i = 1; i < rows.size(); ++i) {
    SCOPED_TRACE("line " + std::to_string(i));
    EXPECT_EQ(rows[i][1], std::to_string(i)) << "SAMPLE counts on across the wrap";
    EXPECT_EQ(rows[i][0].substr(0, 17), "2026-12-07T14:05:");
    std::vector<std::string> want = expected[i - 1];
    want[0] = rows[i][0];
    EXPECT_EQ(rows[i], want);
  }
  EXPECT_EQ(rows[1][2], "02:05:09 PM @ 12-07-2026");
  EXPECT_EQ(rows[1][7].substr(0, 2), "3.");  // a plain number
}

TEST(Journal, PauseWritesNothingStopClosesAndANewSetupTakesANewFile) {
  test::TempFolder folder;
  MonitorFixture f;
  context::Monitor& m = collecting(f, folder.path(), "10");
  samples(m, 2);
  m.ui.Command1[11].raiseClick();  // pause
  for (int i = 0; i < 12; ++i) app::timerTick(m);
  EXPECT_EQ(parseCsv(contents(folder.file("run.csv"))).size(), 3u);
  m.ui.Command1[11].raiseClick();  // resume in the same journal
  samples(m, 1);
  EXPECT_EQ(parseCsv(contents(folder.file("run.csv"))).size(), 4u);

  m.ui.Command1[12].raiseClick();  // STOP
  EXPECT_FALSE(m.journal.isOpen());
  samples(m, 3);  // plain measurement
  EXPECT_EQ(parseCsv(contents(folder.file("run.csv"))).size(), 4u);

  f.desktop.answers = {context::MessageAnswer::Yes, context::MessageAnswer::OK};
  m.ui.mnuUsePreviousSetup.raiseClick();
  samples(m, 1);
  EXPECT_EQ(m.journal.path(), folder.file("run (2).csv"));
  const auto rows = parseCsv(contents(folder.file("run (2).csv")));
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[1][1], "1");
  EXPECT_EQ(parseCsv(contents(folder.file("run.csv"))).size(), 4u);
}

TEST(Journal, AJournalThatCannotBeWrittenIsToldOnceAndTheRingGoesOn) {
  test::TempFolder folder;
  MonitorFixture f;
  context::Monitor& m = collecting(f, folder.path(), "10");
  m.datalog.journal.workbook = folder.file("gone/run.xls");
  const std::size_t before = f.desktop.messages.size();
  samples(m, 3);
  ASSERT_EQ(f.desktop.messages.size(), before + 1);
  const std::string& text = f.desktop.messages.back().text;
  EXPECT_NE(text.find(folder.file("gone/run.csv")), std::string::npos) << text;
  EXPECT_NE(text.find("No such file or directory"), std::string::npos) << text;
  EXPECT_EQ(m.datalog.DATApoint, 4);
  EXPECT_EQ(m.datalog.DATACOLLECTflag, 1);
}

// kestrav-log creates the journal before it first asks the bridge anything,
// so that a run ended at any moment leaves it; the set-up takes that file
// over instead of starting a second one.
TEST(Journal, AJournalOpenedAheadIsTakenOverByItsSetupOrDiscarded) {
  test::TempFolder folder;
  MonitorFixture f;
  context::Monitor& m = f.startOnSimulator();
  m.ui.Combo1.setListIndex(1);
  std::string reason;
  ASSERT_TRUE(openJournalAhead(m, folder.file("run.xls"), 2, &reason)) << reason;
  const auto header = parseCsv(contents(folder.file("run.csv")));
  ASSERT_EQ(header.size(), 1u);
  EXPECT_EQ(header[0], journalHeader(2));

  f.desktop.folder = folder.path();
  test::scriptAcceptedSetup(f.desktop, folder.file("run.xls"), "10");
  m.ui.mnuCreateNewSetup.raiseClick();
  ASSERT_EQ(m.stack.OnOff, 1);
  EXPECT_TRUE(m.journal.isOpen()) << "the set-up keeps the journal made ahead";
  EXPECT_EQ(parseCsv(contents(folder.file("run.csv"))).size(), 1u);
  samples(m, 2);
  EXPECT_EQ(folder.entries(), std::vector<std::string>{"run.csv"});
  const auto rows = parseCsv(contents(folder.file("run.csv")));
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0], journalHeader(2));
  EXPECT_EQ(rows[2][1], "2");
  discardJournalAhead(m);  // taken over: no longer the ahead journal's to delete
  EXPECT_TRUE(std::filesystem::exists(folder.file("run.csv")));

  // No set-up took it: the header-only file goes again, and so does a
  // journal opened ahead for another workbook when a set-up begins.
  MonitorFixture g;
  context::Monitor& n = g.startOnSimulator();
  ASSERT_TRUE(openJournalAhead(n, folder.file("early.xls"), 1, &reason)) << reason;
  EXPECT_TRUE(std::filesystem::exists(folder.file("early.csv")));
  endJournal(n);  // as a new set-up clears the ring: the journal waits for it
  EXPECT_TRUE(n.journal.isOpen());
  discardJournalAhead(n);
  EXPECT_FALSE(std::filesystem::exists(folder.file("early.csv")));
  ASSERT_TRUE(openJournalAhead(n, folder.file("other.xls"), 1, &reason)) << reason;
  g.desktop.folder = folder.path();
  test::scriptAcceptedSetup(g.desktop, folder.file("late.xls"), "10");
  n.ui.mnuCreateNewSetup.raiseClick();
  samples(n, 1);
  EXPECT_EQ(folder.entries(), (std::vector<std::string>{"late.csv", "run.csv"}));

  // Nothing is left behind when the file cannot be made.
  EXPECT_FALSE(openJournalAhead(n, folder.file("gone/run.xls"), 1, &reason));
  EXPECT_EQ(reason, "No such file or directory");
}

// A disk that fills or fails in the middle of the run: told once with the
// file and the reason, the journal keeps its whole lines, the ring goes on.
TEST(Journal, AJournalThatFailsMidRunIsToldOnceKeepsWholeLinesAndTheRingGoesOn) {
  test::TempFolder folder;
  for (const bool syncFails : {false, true}) {
    SCOPED_TRACE(syncFails ? "sync fails" : "disk full");
    test::DiskStandIn disk;
    MonitorFixture f;
    context::Monitor& m = collecting(f, folder.path(), "10");
    samples(m, 2);
    const std::string path = m.journal.path();
    ASSERT_EQ(parseCsv(contents(path)).size(), 3u);
    const std::size_t before = f.desktop.messages.size();
    if (syncFails) disk.failSyncs(".csv", EIO);
    else disk.fillAfter(".csv", 20);
    samples(m, 3);
    ASSERT_EQ(f.desktop.messages.size(), before + 1);
    const std::string& text = f.desktop.messages.back().text;
    EXPECT_NE(text.find(path), std::string::npos) << text;
    EXPECT_NE(text.find(syncFails ? "Input/output error" : "No space left on device"), std::string::npos) << text;
    EXPECT_EQ(parseCsv(contents(path)).size(), syncFails ? 4u : 3u);  // a synced line in vain stays whole
    EXPECT_EQ(m.datalog.DATApoint, 6);
    EXPECT_EQ(m.datalog.DATACOLLECTflag, 1);
    EXPECT_FALSE(m.datalog.journal.wanted);
  }
}

}  // namespace
}  // namespace kestrav::datalog
