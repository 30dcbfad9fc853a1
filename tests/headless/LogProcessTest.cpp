// kestrav-log as a process on kestrav-sim's pseudo-terminal: a short run,
// a bridge unplugged mid-run, a stop signal, a refusing bridge, bad options.

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "datalog/TempFolder.h"
#include "datalog/XlsReadBack.h"
#include "support/ChildProcess.h"


namespace kestrav::test {
namespace {

using namespace std::chrono_literals;

std::string program(const char* name) { return builtProgram(name); }

std::string readText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) {
    if (!l.empty() && l.back() == '\r') l.pop_back();
    out.push_back(l);
  }
  return out;
}

// The records of a CSV file (RFC 4180: quoted fields, doubled quotes).
std::vector<std::vector<std::string>> csvRecords(const std::string& text) {
  std::vector<std::vector<std::string>> records;
  std::vector<std::string> fields;
  std::string field;
  bool quoted = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
        field += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        field += c;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      fields.push_back(field);
      field.clear();
    } else if (c == '\n') {
      fields.push_back(field);
      records.push_back(fields);
      fields.clear();
      field.clear();
    } else if (c != '\r') {
      field += c;
    }
  }
  return records;
}

// Polls a condition of the outside world (a file, a process) until it holds
// or the time is up.
bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(20ms);
  }
  return true;
}

using Process = ChildProcess;

class LogProcess : public ::testing::Test {
 protected:
  // kestrav-sim with these options; its pty path.
  std::string startBridge(std::vector<std::string> args) {
    sim_.spawn(program("kestrav-sim"), std::move(args));
    const std::string path = sim_.readLine();
    EXPECT_EQ(path.rfind("/dev/", 0), 0u) << path;
    return path;
  }
  void startLog(std::vector<std::string> args, const std::vector<int>& blocked = {}) {
    ChildOptions options(errFile());
    options.blocked = blocked;
    log_.spawn(program("kestrav-log"), std::move(args), options);
  }
  // The exit status of a program that ended by itself within `limit`.
  int exitStatus(std::chrono::milliseconds limit = 60s) {
    const auto status = log_.wait(limit);
    if (!status.has_value()) {
      ADD_FAILURE() << "still running: " << err();
      return -1;
    }
    if (!WIFEXITED(*status)) {
      ADD_FAILURE() << "ended by signal " << WTERMSIG(*status) << ": " << err();
      return -1;
    }
    return WEXITSTATUS(*status);
  }
  std::string errFile() const { return folder_.file("stderr.txt"); }
  std::string err() const { return readText(errFile()); }

  TempFolder folder_;
  Process sim_, log_;
};

// The workbook through a reader nobody here wrote; nothing without xlrd.
std::optional<ReadBack> workbook(const std::string& path) {
  const auto python = pythonWithXlrd();
  if (!python) return std::nullopt;
  return readBack(*python, path);
}

int dataRows(const ReadBack& r) { return r.rows - 11; }  // rows 1..11 are the header block

// The journal holds every sample of the run, the workbook the last
// ring-full of them, with the same texts.
void expectWorkbookShowsTheJournalsLastSamples(const ReadBack& book, const std::string& journalPath, int ring,
                                               int boards) {
  const auto records = csvRecords(readText(journalPath));
  ASSERT_GE(records.size(), 2u) << "a header and at least one sample";
  ASSERT_GE(records[0].size(), 4u);
  EXPECT_EQ(records[0][0], "ISO TIME");
  EXPECT_EQ(records[0][1], "SAMPLE");
  EXPECT_EQ(records[0][3], "(1) RD-CFGR0-5");
  const int samples = static_cast<int>(records.size()) - 1;
  for (int i = 1; i <= samples; ++i) {
    ASSERT_EQ(records[i].size(), records[0].size()) << i;
    EXPECT_EQ(records[i][1], std::to_string(i));
  }
  const int rows = dataRows(book);
  ASSERT_EQ(rows, std::min(samples, ring));
  for (int r = 0; r < rows; ++r) {
    const std::vector<std::string>& sample = records[static_cast<std::size_t>(samples - rows + 1 + r)];
    EXPECT_EQ(book.at(11 + r, 1).value, sample[2]) << "row " << r;
    for (int k = 0; k < 20 * boards; ++k)
      EXPECT_EQ(book.at(11 + r, 2 + k).value, sample[static_cast<std::size_t>(3 + k)]) << "row " << r << " column " << k;
  }
}

TEST_F(LogProcess, AShortRunGivesTheWorkbookWithThresholdsWrittenAndStatusZero) {
  const std::string pty = startBridge({"--boards", "2"});
  const std::string out = folder_.file("run1.xls");
  startLog({"--port", pty, "--boards", "2", "--seconds", "4", "--out", out, "--vuv", "3.1", "--vov", "4.2"});
  const auto status = log_.wait(60s);
  ASSERT_TRUE(status.has_value()) << err();
  ASSERT_TRUE(WIFEXITED(*status));
  EXPECT_EQ(WEXITSTATUS(*status), 0) << err();
  EXPECT_EQ(err(), "");  // not a terminal, and shorter than one progress line's 10 s

  const auto book = workbook(out);
  if (!book) GTEST_SKIP() << "python3 with xlrd is not installed";
  EXPECT_EQ(book->at(0, 0).value, out);
  EXPECT_EQ(book->at(4, 1).value, "SAMPLES = 5");  // 4 s / 0.8 s
  // The ring holds 5 samples (a pass over one board records one); a loaded
  // machine may collect fewer in 4 s, but not fewer than one per board.
  const int rows = dataRows(*book);
  ASSERT_GE(rows, 2);
  EXPECT_LE(rows, 5);
  const int last = 10 + rows;
  for (int row = 11; row <= last; ++row) {
    EXPECT_EQ(book->at(row, 0).value, std::to_string(row - 10) + ".0") << row;  // a number
    EXPECT_EQ(book->at(row, 2).value, "E0, 00, 00, 00, 81, AF.") << row;        // read back from the chip
    EXPECT_EQ(book->at(row, 4).value, "3.096V ") << row;                         // UVTHR
    EXPECT_EQ(book->at(row, 5).value, "4.200V ") << row;                         // OVTHR
    EXPECT_EQ(book->at(row, 42).value, "") << row;  // a third board is not in the stack
  }
  // The broadcast write reached the second board as well.
  EXPECT_EQ(book->at(last, 22).value, "E0, 00, 00, 00, 81, AF.");
  EXPECT_EQ(book->at(last, 24).value, "3.096V ");
  expectWorkbookShowsTheJournalsLastSamples(*book, folder_.file("run1.csv"), 5, 2);
}

// --trace: one tab-separated line per bridge transaction, the reads with
// their PEC verdict.
TEST_F(LogProcess, TraceWritesEveryTransactionOfTheRun) {
  const std::string pty = startBridge({"--boards", "1"});
  const std::string out = folder_.file("traced.xls");
  const std::string trace = folder_.file("traced.tsv");
  startLog({"--port", pty, "--boards", "1", "--seconds", "1.6", "--out", out, "--trace", trace});
  const auto status = log_.wait(60s);
  ASSERT_TRUE(status.has_value()) << err();
  ASSERT_TRUE(WIFEXITED(*status));
  EXPECT_EQ(WEXITSTATUS(*status), 0) << err();
  int identifications = 0, cellReads = 0;
  for (const std::string& line : lines(readText(trace))) {
    std::vector<std::string> f;
    std::istringstream in(line);
    for (std::string field; std::getline(in, field, '\t');) f.push_back(field);
    if (!line.empty() && line.back() == '\t') f.push_back("");
    ASSERT_EQ(f.size(), 6u) << line;
    if (f[1] == "IZ") ++identifications;
    if (f[1].rfind("MSxT81T04", 0) == 0) {
      ++cellReads;
      EXPECT_EQ(f[2], "42");
      EXPECT_EQ(f[5], "match") << line;
    }
  }
  EXPECT_GE(identifications, 2) << "the start's and at least one tick's";
  EXPECT_GE(cellReads, 1);
}

// --pace fast: every sample is a pass of every board, each with its own
// fresh reading; the set-up takes the largest ring.
TEST_F(LogProcess, AtTheFastPaceEverySampleReadsEveryBoard) {
  const std::string pty = startBridge({"--boards", "3"});
  const std::string out = folder_.file("fast.xls");
  const std::string trace = folder_.file("fast.tsv");
  startLog({"--port", pty, "--boards", "3", "--seconds", "2", "--out", out, "--pace", "fast", "--trace", trace});
  const auto status = log_.wait(60s);
  ASSERT_TRUE(status.has_value()) << err();
  ASSERT_TRUE(WIFEXITED(*status));
  EXPECT_EQ(WEXITSTATUS(*status), 0) << err();
  const auto records = csvRecords(readText(folder_.file("fast.csv")));
  const long samples = static_cast<long>(records.size()) - 1;
  EXPECT_GE(samples, 3) << "the window's pace takes 1.2 s for one sample of three boards";
  std::map<std::string, long> reads;
  for (const std::string& line : lines(readText(trace))) {
    const auto tab = line.find('\t');
    if (tab != std::string::npos) ++reads[line.substr(tab + 1, 9)];
  }
  // One sample per pass, every board's cells, temperatures, flags and
  // configuration read in each.
  for (const char* read : {"MSxT81T04", "MSxT83T04", "MSxT82T08", "MSxT83T06", "MSxT81T02"})
    EXPECT_GE(reads[read], samples) << read;
  EXPECT_LE(reads["MSxT81T04"], samples + 1) << "at most the pass the end cut short";
  EXPECT_GE(reads["MSxS10X\t0"], samples);  // the broadcast start of each pass

  const auto book = workbook(out);
  if (!book) GTEST_SKIP() << "python3 with xlrd is not installed";
  EXPECT_EQ(book->at(4, 1).value, "SAMPLES = 32767");
  expectWorkbookShowsTheJournalsLastSamples(*book, folder_.file("fast.csv"), 32767, 3);
}

TEST_F(LogProcess, ABridgeUnpluggedMidRunSavesTheWorkbookAndEndsWithStatusOne) {
  const std::string pty = startBridge({"--boards", "1", "--unplug-after", "80"});
  const std::string out = folder_.file("unplugged.xls");
  // Longer than the longest ring: the set-up gets the longest interval.
  startLog({"--port", pty, "--boards", "1", "--seconds", "86400", "--out", out});
  const auto status = log_.wait(120s);
  ASSERT_TRUE(status.has_value()) << "still running after the bridge went: " << err();
  ASSERT_TRUE(WIFEXITED(*status));
  EXPECT_EQ(WEXITSTATUS(*status), 1);
  const std::vector<std::string> said = lines(err());
  ASSERT_GE(said.size(), 1u) << err();
  // Progress lines may come before (one every 10 s); then the reason and what was saved.
  EXPECT_EQ(said.back(), "kestrav-log: the bridge on " + pty +
                             " did not answer (received \"         \" instead of \"KESTRAV-2\"); the datalog is saved in \"" +
                             out + "\", its journal is \"" + folder_.file("unplugged.csv") + "\"");
  ASSERT_TRUE(std::filesystem::exists(out)) << err();
  const auto book = workbook(out);
  if (!book) GTEST_SKIP() << "python3 with xlrd is not installed";
  EXPECT_EQ(book->at(4, 1).value, "SAMPLES = 32767");
  expectWorkbookShowsTheJournalsLastSamples(*book, folder_.file("unplugged.csv"), 32767, 1);
}

TEST_F(LogProcess, SigintMidRunSavesBothFilesAndEndsAsTheSignalDoes) {
  const std::string pty = startBridge({"--boards", "3"});
  const std::string out = folder_.file("stopped.xls");
  const std::string journal = folder_.file("stopped.csv");
  startLog({"--port", pty, "--boards", "3", "--seconds", "600", "--out", out});
  // Under way: the header and two samples are on disk.
  ASSERT_TRUE(waitFor([&] { return csvRecords(readText(journal)).size() >= 3; }, 60s)) << err();
  log_.signal(SIGINT);
  const auto status = log_.wait(60s);
  ASSERT_TRUE(status.has_value());
  ASSERT_TRUE(WIFSIGNALED(*status)) << *status;
  EXPECT_EQ(WTERMSIG(*status), SIGINT);
  const std::vector<std::string> said = lines(err());
  ASSERT_EQ(said.size(), 1u) << err();
  EXPECT_EQ(said[0], "kestrav-log: ended by SIGINT; the datalog is saved in \"" + out + "\", its journal is \"" +
                         journal + "\"");
  const auto book = workbook(out);
  if (!book) GTEST_SKIP() << "python3 with xlrd is not installed";
  expectWorkbookShowsTheJournalsLastSamples(*book, journal, 750, 3);
}

// Every reply corrupted: every read gives up after its attempts.
TEST_F(LogProcess, AReadThatGivesUpEndsTheRunWithBothFilesSaved) {
  const std::string pty = startBridge({"--boards", "1", "--corrupt", "1"});
  const std::string out = folder_.file("corrupt.xls");
  startLog({"--port", pty, "--boards", "1", "--seconds", "600", "--out", out});
  const auto status = log_.wait(60s);
  ASSERT_TRUE(status.has_value()) << err();
  ASSERT_TRUE(WIFEXITED(*status));
  EXPECT_EQ(WEXITSTATUS(*status), 1);
  const std::vector<std::string> said = lines(err());
  ASSERT_GE(said.size(), 2u) << err();
  for (const std::string& l : said) EXPECT_EQ(l.rfind("kestrav-log: ", 0), 0u) << l;
  // No sample was ever taken: the workbook holds the headers, the journal
  // its header line.
  const std::string journal = folder_.file("corrupt.csv");
  EXPECT_EQ(said.back(), "kestrav-log: a read gave up and stopped the collection; the datalog is saved in \"" + out +
                             "\", its journal is \"" + journal + "\"");
  EXPECT_TRUE(std::filesystem::exists(out));
  EXPECT_EQ(csvRecords(readText(journal)).size(), 1u);
}

TEST_F(LogProcess, WithKeepGoingTheCycleRestartsAfterEachGiveUp) {
  const std::string pty = startBridge({"--boards", "1", "--corrupt", "1"});
  const std::string out = folder_.file("kept.xls");
  startLog({"--port", pty, "--boards", "1", "--seconds", "2", "--out", out, "--keep-going"});
  const auto status = log_.wait(60s);
  ASSERT_TRUE(status.has_value()) << err();
  ASSERT_TRUE(WIFEXITED(*status));
  EXPECT_EQ(WEXITSTATUS(*status), 0) << err();
  const std::vector<std::string> said = lines(err());
  // One line per message of a read that gave up, again and again.
  EXPECT_GE(said.size(), 2u) << err();
  for (const std::string& l : said) EXPECT_EQ(l.find("stopped the collection"), std::string::npos) << l;
  EXPECT_TRUE(std::filesystem::exists(out));
}

TEST_F(LogProcess, ARefusingBridgeEndsWithOneLineAndStatusOne) {
  const std::string pty = startBridge({"--identity", "KESTRAV-3 SPI BRIDGE"});
  const std::string out = folder_.file("never.xls");
  startLog({"--port", pty, "--boards", "1", "--seconds", "10", "--out", out});
  const auto status = log_.wait(30s);
  ASSERT_TRUE(status.has_value());
  ASSERT_TRUE(WIFEXITED(*status));
  EXPECT_EQ(WEXITSTATUS(*status), 1);
  EXPECT_EQ(err(), "kestrav-log: the bridge on " + pty + " answered \"KESTRAV-3\" instead of \"KESTRAV-2\"\n");
  EXPECT_FALSE(std::filesystem::exists(out));
  EXPECT_FALSE(std::filesystem::exists(folder_.file("never.csv"))) << "the journal made ahead goes again";
}

// Before the bridge is asked anything: a folder that takes no files is
// refused with one line, nothing written. /proc takes no new files,
// whoever runs the test.
TEST_F(LogProcess, AFolderThatTakesNoFilesIsRefusedBeforeCollecting) {
  startLog({"--simulate=1", "--boards", "1", "--seconds", "1", "--out", "/proc/run.xls"});
  EXPECT_EQ(exitStatus(30s), 2);
  const std::vector<std::string> said = lines(err());
  ASSERT_EQ(said.size(), 1u) << err();
  EXPECT_EQ(said[0].rfind("kestrav-log: the workbook /proc/run.xls cannot be written in its folder: ", 0), 0u)
      << said[0];
}

// A read-only mount, in a mount namespace of the test's own (unshare):
// refused up front, not after T seconds of collecting.
TEST_F(LogProcess, AReadOnlyMountIsRefusedBeforeCollecting) {
  const std::string mounted = folder_.file("ro");
  std::filesystem::create_directory(mounted);
  sim_.spawn("/usr/bin/unshare",
             {"-rm", "sh", "-c", "mount -t tmpfs -o ro tmpfs \"$1\" || exit 99; exec \"$2\" --simulate=1 --boards 1 "
              "--seconds 600 --out \"$1/run.xls\"",
              "sh", mounted, program("kestrav-log")},
             errFile());
  const auto status = sim_.wait(30s);
  ASSERT_TRUE(status.has_value()) << "collecting into a read-only folder: " << err();
  ASSERT_TRUE(WIFEXITED(*status));
  if (WEXITSTATUS(*status) == 99 || WEXITSTATUS(*status) == 127 || WEXITSTATUS(*status) == 1)
    GTEST_SKIP() << "no read-only mount can be made here (unshare -rm): " << err();
  EXPECT_EQ(WEXITSTATUS(*status), 2);
  EXPECT_EQ(err(), "kestrav-log: the workbook " + mounted + "/run.xls cannot be written in its folder: "
                   "Read-only file system\n");
}

TEST_F(LogProcess, AFolderOfMode0555IsRefusedBeforeCollecting) {
  if (::geteuid() == 0)
    GTEST_SKIP() << "running as root, whom mode bits do not stop; the read-only mount and the probe's seam cover it";
  const std::string locked = folder_.file("locked");
  std::filesystem::create_directory(locked);
  std::filesystem::permissions(locked, std::filesystem::perms(0555));
  startLog({"--simulate=1", "--boards", "1", "--seconds", "600", "--out", locked + "/run.xls"});
  const int status = exitStatus(30s);
  std::filesystem::permissions(locked, std::filesystem::perms(0755));
  EXPECT_EQ(status, 2);
  EXPECT_EQ(err(), "kestrav-log: the workbook " + locked + "/run.xls cannot be written in its folder: "
                   "Permission denied\n");
}

// A signal that comes before the first sample still leaves both files: the
// journal was made before the bridge was first asked.
TEST_F(LogProcess, ASignalBeforeTheFirstSampleLeavesBothFiles) {
  const std::string out = folder_.file("early.xls");
  const std::string journal = folder_.file("early.csv");
  // Blocked from the start, SIGTERM waits until the program takes it, at the
  // start of collection, before the first tick.
  startLog({"--simulate=2", "--boards", "2", "--seconds", "600", "--out", out}, {SIGTERM});
  log_.signal(SIGTERM);
  const auto status = log_.wait(60s);
  ASSERT_TRUE(status.has_value()) << err();
  ASSERT_TRUE(WIFSIGNALED(*status)) << *status << ": " << err();
  EXPECT_EQ(WTERMSIG(*status), SIGTERM);
  EXPECT_EQ(err(), "kestrav-log: ended by SIGTERM; the datalog is saved in \"" + out + "\", its journal is \"" +
                       journal + "\"\n");
  const auto records = csvRecords(readText(journal));
  ASSERT_EQ(records.size(), 1u) << "the header alone";
  EXPECT_EQ(records[0].size(), 3u + 2u * 20u);
  const auto book = workbook(out);
  if (!book) GTEST_SKIP() << "python3 with xlrd is not installed";
  EXPECT_EQ(book->at(0, 0).value, out);
  EXPECT_EQ(book->at(7, 1).value, "SAMPLES = 0");  // the view of an empty ring
}

// A T longer than about 115 days is refused at once; one just under it
// collects until something ends it, never wrapping to an end in the past.
TEST_F(LogProcess, HugeTimesAreRefusedAndTheLongestRunsUntilStopped) {
  for (const std::string t : {"10000000000", "9223372036", "10000000.5"}) {
    startLog({"--simulate=1", "--boards", "1", "--seconds", t, "--out", folder_.file("huge.xls")});
    EXPECT_EQ(exitStatus(30s), 2) << t;
    EXPECT_EQ(lines(err()).at(0), "kestrav-log: --seconds takes at most 10000000 (about 115 days)") << t;
  }
  EXPECT_FALSE(std::filesystem::exists(folder_.file("huge.csv")));
  const std::string journal = folder_.file("long.csv");
  startLog({"--simulate=1", "--boards", "1", "--seconds", "10000000", "--out", folder_.file("long.xls")});
  ASSERT_TRUE(waitFor([&] { return csvRecords(readText(journal)).size() >= 3; }, 60s)) << err();
  log_.signal(SIGTERM);
  const auto status = log_.wait(60s);
  ASSERT_TRUE(status.has_value());
  ASSERT_TRUE(WIFSIGNALED(*status)) << *status << ": " << err();
  EXPECT_EQ(WTERMSIG(*status), SIGTERM);
  EXPECT_TRUE(std::filesystem::exists(folder_.file("long.xls")));
}

// The boxes compare codes, 0.024 V a step: 3.001 V and 3.002 V are one.
TEST_F(LogProcess, AThresholdPairOnOneCodeIsRefusedBeforeAnythingIsWritten) {
  startLog({"--simulate=1", "--boards", "1", "--seconds", "2", "--out", folder_.file("pair.xls"), "--vuv", "3.001",
            "--vov", "3.002"});
  EXPECT_EQ(exitStatus(30s), 2);
  const std::vector<std::string> said = lines(err());
  ASSERT_EQ(said.size(), 2u) << err();
  EXPECT_EQ(said[0],
            "kestrav-log: --vuv 3.001 --vov 3.002: VUV must be less than VOV (in steps of 0.024 V, rounded half to "
            "even)");
  EXPECT_FALSE(std::filesystem::exists(folder_.file("pair.xls")));
  EXPECT_FALSE(std::filesystem::exists(folder_.file("pair.csv")));
}

// A trace on a full disk: told once, the datalog goes on, status 1 at the
// normal end.
TEST_F(LogProcess, ATraceThatCannotBeWrittenIsToldOnceAndFailsTheRun) {
  const std::string out = folder_.file("full.xls");
  startLog({"--simulate=1", "--boards", "1", "--seconds", "2.4", "--out", out, "--trace", "/dev/full"});
  EXPECT_EQ(exitStatus(), 1);
  EXPECT_EQ(err(), "kestrav-log: cannot write /dev/full: No space left on device; the datalog goes on\n");
  EXPECT_GE(csvRecords(readText(folder_.file("full.csv"))).size(), 2u) << "the datalog went on";
  EXPECT_TRUE(std::filesystem::exists(out));
}

// --keep-going rides out a garbled identification, but a bridge really
// gone still ends the run with both files.
TEST_F(LogProcess, WithKeepGoingABridgeReallyGoneStillEndsTheRun) {
  const std::string pty = startBridge({"--boards", "1", "--unplug-after", "60"});
  const std::string out = folder_.file("gone.xls");
  startLog({"--port", pty, "--boards", "1", "--seconds", "600", "--out", out, "--keep-going"});
  EXPECT_EQ(exitStatus(120s), 1);
  const std::vector<std::string> said = lines(err());
  ASSERT_GE(said.size(), 1u);
  EXPECT_NE(said.back().find("did not answer"), std::string::npos) << said.back();
  EXPECT_TRUE(std::filesystem::exists(out));
  EXPECT_GE(csvRecords(readText(folder_.file("gone.csv"))).size(), 2u);
}

// --config: every board written addressed with the file's bytes before the
// set-up, and what the chips read back lands in the workbook; a refused
// file ends the run before the bridge is touched.
TEST_F(LogProcess, AConfigFileIsWrittenToEveryBoardFirst) {
  const std::string config = folder_.file("rig.json");
  std::ofstream(config) << R"({"format": "kestrav-stack-config", "version": 1, "boards": 2,
    "addresses": ["0x81", "0x82", "0x83", "0x84", "0x85", "0x86", "0x87", "0x88", "0x89", "0x8A"],
    "broadcast": {"PLADC": false, "PLINT": false, "STCVAD": false, "STOWAD": false, "STTMPAD": false, "WRCFG": true},
    "pec_match_only": true, "threshold_mode": "global",
    "board": [
      {"cdc": 2, "cell10": false, "lvlpl": false, "gpio1": true, "gpio2": true, "discharge": [], "mask": [],
       "vuv": 3.096, "vov": 4.2, "cfgr": ["E2", "00", "00", "00", "81", "AF"]},
      {"cdc": 1, "cell10": false, "lvlpl": false, "gpio1": true, "gpio2": true, "discharge": [3], "mask": [],
       "vuv": 2.4, "vov": 3.6, "cfgr": ["E1", "04", "00", "00", "64", "96"]}]})";
  const std::string out = folder_.file("configured.xls");
  const std::string trace = folder_.file("configured.tsv");
  startLog({"--simulate=2", "--config", config, "--seconds", "1.6", "--out", out, "--trace", trace});
  const auto status = log_.wait(60s);
  ASSERT_TRUE(status.has_value()) << err();
  ASSERT_TRUE(WIFEXITED(*status));
  EXPECT_EQ(WEXITSTATUS(*status), 0) << err();
  std::vector<std::string> writes;
  for (const std::string& line : lines(readText(trace))) {
    const std::string sent = line.substr(line.find('\t') + 1, line.find('\t', line.find('\t') + 1) - line.find('\t') - 1);
    if (sent.find("T01S") != std::string::npos) writes.push_back(sent);
  }
  EXPECT_EQ(writes, (std::vector<std::string>{"MSxT81T01SE2S00S00S00S81SAFX", "MSxT82T01SE1S04S00S00S64S96X"}));

  std::string text = readText(config);
  text.replace(text.find("\"vuv\": 2.4"), 10, "\"vuv\": 3.6");
  std::ofstream(config) << text;
  Process again;
  again.spawn(program("kestrav-log"),
              {"--simulate=2", "--config", config, "--seconds", "1.6", "--out", folder_.file("refused.xls")}, errFile());
  const auto refused = again.wait(30s);
  ASSERT_TRUE(refused.has_value());
  ASSERT_TRUE(WIFEXITED(*refused));
  EXPECT_EQ(WEXITSTATUS(*refused), 1);
  EXPECT_EQ(err(), "kestrav-log: " + config +
                       ": board 2 \"vuv\" and \"vov\": VUV must be less than VOV (vuv 3.6, vov 3.6)\n");
  EXPECT_FALSE(std::filesystem::exists(folder_.file("refused.xls")));
}

TEST_F(LogProcess, BadArgumentsGiveStatusTwoAndTheUsageLine) {
  startLog({"--simulate", "--boards", "12", "--seconds", "10", "--out", folder_.file("x.xls")});
  const auto status = log_.wait(30s);
  ASSERT_TRUE(status.has_value());
  ASSERT_TRUE(WIFEXITED(*status));
  EXPECT_EQ(WEXITSTATUS(*status), 2);
  const std::vector<std::string> said = lines(err());
  ASSERT_EQ(said.size(), 2u) << err();
  EXPECT_EQ(said[0], "kestrav-log: --boards needs N from 1 to 10");
  EXPECT_EQ(said[1].rfind("Usage: kestrav-log ", 0), 0u);
}

}  // namespace
}  // namespace kestrav::test
