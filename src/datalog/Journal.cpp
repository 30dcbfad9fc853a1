#include "datalog/Journal.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <unistd.h>

#include "datalog/SampleColumns.h"
#include "datalog/SampleTexts.h"

namespace kestrav::datalog {

namespace {

constexpr int kMostBoards = 10;

void reportFailure(context::Monitor& m, const std::string& path, const std::string& reason) {
  m.desktop.messageBox("The datalog journal could not be written to the file\n\n" + path + "\n\n" + reason +
                           "\n\nThe datalog goes on in memory; VIEW and STOP still save its workbook.",
                       context::kDefaultMessageTitle, context::MessageButtons::OK, context::MessageIcon::Exclamation,
                       context::MessageAnswer::OK);
}

// Gives up on the journal of this datalog after telling the user once.
void fail(context::Monitor& m, const std::string& reason) {
  m.datalog.journal.wanted = false;
  const std::string path = m.journal.path().empty() ? journalNameFor(m.datalog.journal.workbook) : m.journal.path();
  m.journal.close();
  reportFailure(m, path, reason);
}

bool endsWithXls(const std::string& s) {
  if (s.size() < 4) return false;
  std::string tail = s.substr(s.size() - 4);
  std::transform(tail.begin(), tail.end(), tail.begin(), [](unsigned char c) { return std::tolower(c); });
  return tail == ".xls";
}

}  // namespace

std::string journalNameFor(const std::string& workbook) {
  return (endsWithXls(workbook) ? workbook.substr(0, workbook.size() - 4) : workbook) + ".csv";
}

std::string isoLocalTime(std::chrono::system_clock::time_point t) {
  using namespace std::chrono;
  const auto ms = duration_cast<milliseconds>(t.time_since_epoch()).count();
  const long long whole = ms >= 0 ? ms / 1000 : (ms - 999) / 1000;
  const int millis = static_cast<int>(ms - whole * 1000);
  const std::time_t seconds = static_cast<std::time_t>(whole);
  std::tm tm{};
  localtime_r(&seconds, &tm);
  const long offset = tm.tm_gmtoff / 60;
  const long absOffset = offset < 0 ? -offset : offset;
  char buf[80];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d.%03d%c%02ld:%02ld", tm.tm_year + 1900, tm.tm_mon + 1,
                tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, millis, offset < 0 ? '-' : '+', absOffset / 60,
                absOffset % 60);
  return buf;
}

std::vector<std::string> journalHeader(int boards) {
  std::vector<std::string> fields{"ISO TIME", "SAMPLE", "TIME STAMP"};
  for (int b = 0; b < boards; ++b)
    for (int j = 1; j <= kColumnsPerBoard; ++j) fields.push_back(boardColumnTitle(b, j));
  return fields;
}

std::vector<std::string> journalLine(const context::Monitor& m, int point, long long sample, int boards,
                                     const std::string& isoTime) {
  const SampleTexts log(m.datalog.DATAlog);
  std::vector<std::string> fields;
  fields.reserve(3 + static_cast<std::size_t>(boards) * kColumnsPerBoard);
  fields.push_back(isoTime);
  fields.push_back(std::to_string(sample));
  fields.push_back(log.at(0, 0, point));
  for (int b = 0; b < boards; ++b)
    for (int j = 1; j <= kColumnsPerBoard; ++j) fields.push_back(log.at(b, j, point));
  return fields;
}

bool openJournalAhead(context::Monitor& m, const std::string& workbook, int boards, std::string* reason) {
  discardJournalAhead(m);
  endJournal(m);
  state::JournalRun& j = m.datalog.journal;
  j.boards = std::clamp(boards, 1, kMostBoards);
  if (!m.journal.create(journalNameFor(workbook), reason)) return false;
  if (!m.journal.appendLine(journalHeader(j.boards), reason)) {
    const std::string path = m.journal.path();
    m.journal.close();
    ::unlink(path.c_str());
    return false;
  }
  j.openedAhead = true;
  j.workbook = workbook;
  j.samples = 0;
  return true;
}

void discardJournalAhead(context::Monitor& m) {
  state::JournalRun& j = m.datalog.journal;
  if (!j.openedAhead) return;
  j.openedAhead = false;
  const std::string path = m.journal.path();
  const bool open = m.journal.isOpen();
  m.journal.close();
  if (open) ::unlink(path.c_str());
}

void beginJournal(context::Monitor& m) {
  state::JournalRun& j = m.datalog.journal;
  // The journal opened ahead for this very workbook is this datalog's.
  if (j.openedAhead && j.workbook == m.datalog.NewFile && m.journal.isOpen()) {
    j.openedAhead = false;
    j.wanted = true;
    return;
  }
  discardJournalAhead(m);
  endJournal(m);
  j.wanted = true;
  j.workbook = m.datalog.NewFile;
  j.samples = 0;
  j.boards = 0;
}

void journalSample(context::Monitor& m, int point) {
  state::JournalRun& j = m.datalog.journal;
  if (!j.wanted) return;
  std::string reason;
  if (!m.journal.isOpen()) {
    // The boards of the stack when the first sample comes; every line of
    // the file keeps that many columns.
    j.boards = std::clamp(m.stack.CARDSTACK, 0, kMostBoards - 1) + 1;
    if (!m.journal.create(journalNameFor(j.workbook), &reason) ||
        !m.journal.appendLine(journalHeader(j.boards), &reason))
      return fail(m, reason);
  }
  ++j.samples;
  const std::vector<std::string> line = journalLine(m, point, j.samples, j.boards, isoLocalTime(m.clock.now()));
  if (!m.journal.appendLine(line, &reason)) return fail(m, reason);
  if (m.runObserver != nullptr) m.runObserver->sampleJournaled(m.journal.path(), j.boards, line);
}

void endJournal(context::Monitor& m) {
  if (m.datalog.journal.openedAhead) return;  // its set-up is still to come
  m.journal.close();
  m.datalog.journal.wanted = false;
}

}  // namespace kestrav::datalog
