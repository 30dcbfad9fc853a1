#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "TempFolder.h"
#include "XlsReadBack.h"
#include "datalog/xls/Biff8Writer.h"
#include "datalog/xls/Workbook.h"
#include "support/DiskStandIn.h"

namespace kestrav::datalog::xls {
namespace {

using test::ReadBack;
using test::TempFolder;

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class XlsWriter : public ::testing::Test {
 protected:
  void SetUp() override {
    python_ = test::pythonWithXlrd();
    if (!python_) GTEST_SKIP() << "python3 with xlrd is not installed";
  }

  // Saves the book and reads it back; the reader must find no defect.
  ReadBack saveAndRead(const Workbook& book, const std::string& name = "book.xls",
                       const std::string& mode = "all") {
    const std::string path = folder_.file(name);
    std::string reason;
    EXPECT_TRUE(book.save(path, &reason)) << reason;
    EXPECT_EQ(std::filesystem::file_size(path) % 512, 0u);
    auto r = test::readBack(*python_, path, mode);
    EXPECT_TRUE(r.has_value());
    if (!r) return {};
    EXPECT_TRUE(r->warnings.empty()) << r->warnings.front();
    EXPECT_EQ(r->container, test::pythonHasOlefile(*python_) ? "ok" : "missing");
    if (r->container == "ok") {
      EXPECT_GE(r->streamSize, 4096);
    }
    return *r;
  }

  std::optional<std::string> python_;
  TempFolder folder_;
};

TEST_F(XlsWriter, CellsFormatsAndTextsReadBackExactly) {
  Workbook book("Datalog");
  book.setText(0, 0, "plain");
  book.setNumber(0, 1, 42);
  book.setNumber(0, 2, -0.125);
  book.setText(1, 0, "Gr\xC3\xBC\xC3\x9F" "e \xC3\xA9");           // Latin-1 only: 8-bit string
  book.setText(1, 1, "5 \xE2\x82\xAC / \xE4\xB8\xAD");             // euro sign and CJK: UTF-16
  book.setText(1, 2, "smile \xF0\x9F\x98\x80");                    // outside the BMP: a surrogate pair
  book.setText(1, 3, std::string("bad \xFF byte"));                // not UTF-8: kept as Latin-1
  book.setText(2, 0, "plain");                                      // shared with A1
  book.setText(2, 1, "gone");
  book.setText(2, 1, "");                                           // emptied again
  // Every combination of the format attributes, on values and on blanks.
  for (int f = 0; f < 8; ++f) {
    book.addFormat(4, f, 5, f, static_cast<std::uint8_t>(f));
    book.setText(4, f, "f" + std::to_string(f));
  }
  book.addFormat(0, 0, 0, 0, kBold);
  book.setText(0, 0, "plain");  // writing keeps the format

  const ReadBack r = saveAndRead(book);
  EXPECT_EQ(r.sheets, 1);
  EXPECT_EQ(r.sheetName, "Datalog");
  EXPECT_EQ(r.rows, 6);
  EXPECT_EQ(r.columns, 8);

  EXPECT_EQ(r.at(0, 0).type, 1);
  EXPECT_EQ(r.at(0, 0).value, "plain");
  EXPECT_EQ(r.at(0, 0).bold, 1);
  EXPECT_EQ(r.at(0, 1).type, 2);
  EXPECT_EQ(r.at(0, 1).value, "42.0");
  EXPECT_EQ(r.at(0, 2).value, "-0.125");
  EXPECT_EQ(r.at(1, 0).value, "Gr\xC3\xBC\xC3\x9F" "e \xC3\xA9");
  EXPECT_EQ(r.at(1, 1).value, "5 \xE2\x82\xAC / \xE4\xB8\xAD");
  EXPECT_EQ(r.at(1, 2).value, "smile \xF0\x9F\x98\x80");
  EXPECT_EQ(r.at(1, 3).value, "bad \xC3\xBF byte");
  EXPECT_EQ(r.at(2, 0).value, "plain");
  EXPECT_EQ(r.at(2, 0).bold, 0);
  EXPECT_NE(r.at(2, 1).type, 1);

  for (int f = 0; f < 8; ++f) {
    for (int row : {4, 5}) {
      SCOPED_TRACE("format " + std::to_string(f) + " row " + std::to_string(row));
      const test::ReadCell& c = r.at(row, f);
      if (row == 5 && f == 0) {
        EXPECT_EQ(c.type, 0);  // no value, no format: nothing stored
        continue;
      }
      EXPECT_EQ(c.type, row == 4 ? 1 : 6);  // row 5: formatted blanks
      EXPECT_EQ(c.bold, (f & kBold) ? 1 : 0);
      EXPECT_EQ(c.vertical, (f & kVCentre) ? 1 : 2);
      EXPECT_EQ(c.bottom, (f & kDoubleBottom) ? 6 : 0);
    }
  }
}

// The records of a BIFF8 stream, as id and data.
struct Record {
  unsigned id;
  Bytes data;
};

std::vector<Record> recordsOf(const Bytes& stream) {
  std::vector<Record> records;
  std::size_t at = 0;
  while (at + 4 <= stream.size()) {
    const unsigned id = stream[at] | stream[at + 1] << 8;
    const std::size_t length = stream[at + 2] | stream[at + 3] << 8;
    if (at + 4 + length > stream.size()) {
      ADD_FAILURE() << "record " << id << " at " << at << " runs past the stream";
      break;
    }
    records.push_back({id, Bytes(stream.begin() + static_cast<long>(at) + 4,
                                 stream.begin() + static_cast<long>(at + 4 + length))});
    at += 4 + length;
  }
  EXPECT_EQ(at, stream.size());
  return records;
}

// Reads the shared string table from its SST and CONTINUE records the way
// [MS-XLS] lays it out, failing the test wherever the layout is broken: a
// string's length, option byte and first character in one record, a
// continued string's next record starting with its option byte, no
// character cut between records, no record over 8224 bytes.
std::vector<std::u16string> sharedStringsOf(const Bytes& stream) {
  constexpr unsigned kSst = 0x00FC, kContinue = 0x003C;
  const std::vector<Record> records = recordsOf(stream);
  for (const Record& r : records) EXPECT_LE(r.data.size(), 8224u) << "record " << r.id;
  std::size_t k = 0;
  while (k < records.size() && records[k].id != kSst) ++k;
  if (k == records.size()) {
    ADD_FAILURE() << "no SST record";
    return {};
  }
  std::vector<const Bytes*> parts{&records[k].data};
  while (++k < records.size() && records[k].id == kContinue) parts.push_back(&records[k].data);

  std::size_t part = 0, at = 8;
  auto left = [&] { return parts[part]->size() - at; };
  auto byte = [&] { return (*parts[part])[at++]; };
  const Bytes& first = *parts[0];
  const std::uint32_t count = first[4] | first[5] << 8 | first[6] << 16 | static_cast<std::uint32_t>(first[7]) << 24;
  std::vector<std::u16string> strings;
  for (std::uint32_t i = 0; i < count; ++i) {
    if (left() == 0 && part + 1 < parts.size()) {
      ++part;  // a string that starts a record has no option byte before it
      at = 0;
    }
    if (left() < 3) {
      ADD_FAILURE() << "string " << i << ": its header is cut at the end of record " << part;
      return strings;
    }
    std::size_t length = byte();
    length |= static_cast<std::size_t>(byte()) << 8;
    bool wide = byte() & 1;
    if (length > 0 && left() < (wide ? 2u : 1u))
      ADD_FAILURE() << "string " << i << ": its first character is not in the record of its header (record "
                    << part << ")";
    std::u16string chars;
    while (chars.size() < length) {
      if (left() == 0) {
        if (++part == parts.size()) {
          ADD_FAILURE() << "string " << i << " runs past the last CONTINUE record";
          return strings;
        }
        at = 0;
        wide = byte() & 1;  // the option byte of the continued string
      }
      if (wide && left() == 1) {
        ADD_FAILURE() << "string " << i << ": a UTF-16 character is cut at the end of record " << part;
        return strings;
      }
      const unsigned low = byte();
      chars += static_cast<char16_t>(wide ? low | byte() << 8 : low);
    }
    strings.push_back(chars);
  }
  EXPECT_EQ(part + 1, parts.size());
  EXPECT_EQ(left(), 0u) << "bytes after the last string";
  return strings;
}

TEST_F(XlsWriter, SharedStringsSplitAcrossContinueRecords) {
  // Strings of many lengths, 8-bit and UTF-16, so that string headers,
  // characters and whole strings land on every side of the 8224-byte
  // record limit; some strings longer than a record, one at the cell limit.
  Workbook book;
  std::vector<std::string> texts;
  for (int i = 0; i < 300; ++i) {
    std::string t;
    const int length = 1 + (i * 97) % 1500;
    for (int k = 0; k < length; ++k) t += static_cast<char>('A' + (i + k) % 26);
    if (i % 3 == 1) t += "\xE2\x82\xAC";  // makes it UTF-16
    texts.push_back(t + "#" + std::to_string(i));
  }
  texts.push_back(std::string(20000, 'x'));
  texts.push_back(std::string(9000, 'y') + "\xD0\x96");  // UTF-16, longer than two records
  std::string longest;
  for (int k = 0; k < 32767; ++k) longest += static_cast<char>('a' + k % 26);
  texts.push_back(longest);
  for (std::size_t i = 0; i < texts.size(); ++i) {
    book.setText(static_cast<int>(i), 0, texts[i]);
    book.setText(static_cast<int>(i), 1, texts[i]);  // every string used twice
  }
  book.setText(0, 2, longest + "beyond");  // cut at the cell limit

  EXPECT_EQ(sharedStringsOf(biff8Stream(book)).size(), texts.size() + 1);  // and the cut one
  const ReadBack r = saveAndRead(book);
  ASSERT_EQ(r.rows, static_cast<int>(texts.size()));
  for (std::size_t i = 0; i < texts.size(); ++i) {
    SCOPED_TRACE("string " + std::to_string(i));
    EXPECT_EQ(r.at(static_cast<int>(i), 0).value, texts[i]);
    EXPECT_EQ(r.at(static_cast<int>(i), 1).value, texts[i]);
  }
  EXPECT_EQ(r.at(0, 2).value, longest);
}

// Strings that begin on every offset around the end of a record, 8-bit and
// UTF-16, short and longer than a record: each one's header and first
// character share a record, and every string reads back whole.
TEST(XlsRecords, NoSharedStringHeaderOrCharacterIsCutAtARecordBoundary) {
  // The SST's data starts with two counts (8 bytes); a string takes three
  // bytes of header and its characters.
  constexpr int kRecord = 8224, kCounts = 8, kHeader = 3;
  for (const bool wide : {false, true}) {
    for (const int length : {1, 2, 5, 9000}) {
      for (int room = 0; room <= 12; ++room) {
        SCOPED_TRACE((wide ? "UTF-16, " : "8-bit, ") + std::to_string(length) + " characters, " +
                     std::to_string(room) + " bytes left in the record");
        const std::string filler(static_cast<std::size_t>(kRecord - kCounts - kHeader - room), 'f');
        std::string text;
        for (int c = 0; c < length; ++c) text += wide ? "\xD0\x96" : "t";  // Cyrillic Zhe is UTF-16
        Workbook book;
        book.setText(0, 0, filler);
        book.setText(1, 0, text);
        book.setText(2, 0, "after");
        const std::vector<std::u16string> strings = sharedStringsOf(biff8Stream(book));
        ASSERT_EQ(strings.size(), 3u);
        EXPECT_EQ(strings[0], std::u16string(filler.begin(), filler.end()));
        EXPECT_EQ(strings[1], std::u16string(static_cast<std::size_t>(length), wide ? u'\u0416' : u't'));
        EXPECT_EQ(strings[2], u"after");
      }
    }
  }
}

TEST_F(XlsWriter, LargeWorkbookChainsDifatSectors) {
  // Past 109 FAT sectors (about 7 MB) the FAT sector list continues in
  // DIFAT sectors.
  Workbook book;
  const int rows = 1000, columns = 200;
  for (int r = 0; r < rows; ++r) {
    book.setNumber(r, 0, r + 1);
    for (int c = 1; c < columns; ++c)
      book.setText(r, c, "board " + std::to_string(c) + " sample " + std::to_string(r) + " 3.604, 3.605, 3.606");
  }
  const ReadBack r = saveAndRead(book, "large.xls", "edges");
  EXPECT_GT(std::filesystem::file_size(folder_.file("large.xls")), 7u * 1024 * 1024);
  if (r.container == "ok") {
    EXPECT_GT(r.difatSectors, 0);
  }
  EXPECT_EQ(r.rows, rows);
  EXPECT_EQ(r.columns, columns);
  EXPECT_EQ(r.at(999, 0).value, "1000.0");
  EXPECT_EQ(r.at(999, 199).value, "board 199 sample 999 3.604, 3.605, 3.606");
  EXPECT_EQ(r.at(12, 1).value, "board 1 sample 12 3.604, 3.605, 3.606");
}

TEST_F(XlsWriter, AutoFitFollowsTheContentAtTheTimeOfFitting) {
  Workbook book;
  book.setText(0, 0, "00000000");       // eight digits: eight characters wide
  book.setText(1, 1, "SHORT");
  book.setText(2, 1, "A MUCH LONGER TEXT THAN THE OTHER");
  book.setText(0, 2, "CELL1 - CELL12 STATUS, CELL1 - CELL12 STATUS");
  book.setText(0, 3, "CELL1 - CELL12 STATUS, CELL1 - CELL12 STATUS");
  book.addFormat(0, 3, 0, 3, kBold);
  book.setNumber(0, 4, 1000);
  book.setText(0, 6, "never fitted");
  book.autoFitColumns(0, 5);
  book.setText(5, 0, "a text written after fitting is much longer");

  const ReadBack r = saveAndRead(book);
  EXPECT_NEAR(r.width(0), (8 + 5.0 / 7) * 256, 1.0);
  EXPECT_NEAR(r.width(4), (4 + 5.0 / 7) * 256, 1.0);
  EXPECT_GE(r.width(1), 33 * 256 * 3 / 4);    // the longer text decides, not the first
  EXPECT_GT(r.width(3), r.width(2));          // bold is wider
  EXPECT_EQ(r.widths.count(5), 0u);           // nothing to fit: default width
  EXPECT_EQ(r.widths.count(6), 0u);
  // A text is at least as wide as its count of narrow characters.
  EXPECT_GE(r.width(2), 44 * 256 * 3 / 4);
}

class XlsSave : public ::testing::Test {
 protected:
  Workbook book_;
  TempFolder folder_;
  void SetUp() override { book_.setText(0, 0, "content"); }
};

TEST_F(XlsSave, FailuresLeaveNoFileBehindAndSayWhy) {
  std::string reason;
  EXPECT_FALSE(book_.save(folder_.file("missing/book.xls"), &reason));
  EXPECT_EQ(reason, "No such file or directory");

  reason.clear();
  EXPECT_FALSE(book_.save("", &reason));
  EXPECT_FALSE(reason.empty());

  // A folder in the target's place is left as it is.
  std::filesystem::create_directory(folder_.file("taken.xls"));
  reason.clear();
  EXPECT_FALSE(book_.save(folder_.file("taken.xls"), &reason));
  EXPECT_FALSE(reason.empty());
  EXPECT_TRUE(std::filesystem::is_directory(folder_.file("taken.xls")));

  EXPECT_EQ(folder_.entries(), std::vector<std::string>{"taken.xls"});
}

TEST_F(XlsSave, ReplacesAnExistingFileOnlyWhenTheWholeFileIsWritten) {
  const std::string path = folder_.file("book.xls");
  { std::ofstream(path) << "the previous workbook"; }
  ASSERT_TRUE(book_.save(path));
  const std::string saved = readFile(path);
  EXPECT_EQ(saved.substr(0, 8), "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1");

  // A write that runs out of room half way: the file size limit stands in
  // for a full disk.
  Workbook big;
  for (int r = 0; r < 2000; ++r) big.setText(r, 0, "row " + std::to_string(r));
  rlimit old{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
  const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = old;
  small.rlim_cur = 8192;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  std::string reason;
  const bool ok = big.save(path, &reason);
  ::setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, previousHandler);

  EXPECT_FALSE(ok);
  EXPECT_EQ(reason, "File too large");
  EXPECT_EQ(readFile(path), saved);
  EXPECT_EQ(folder_.entries(), std::vector<std::string>{"book.xls"});
}

// The longest name a folder takes (255 bytes) is saved like any other: the
// file is first written under a short name of its own beside it.
TEST_F(XlsSave, ANameOfTheLongestLengthIsSaved) {
  const std::string name = std::string(251, 'n') + ".xls";
  ASSERT_TRUE(book_.save(folder_.file(name), nullptr));
  EXPECT_EQ(folder_.entries(), std::vector<std::string>{name});
  const std::string bytes = readFile(folder_.file(name));
  const auto expected = book_.fileBytes();
  EXPECT_TRUE(bytes == std::string(expected.begin(), expected.end())) << "the file is not the workbook's bytes";

  EXPECT_EQ(temporaryName(0, 0), ".xls-00000000-00000000.tmp");
  EXPECT_EQ(temporaryName(4194304, 4294967295u).size(), temporaryName(0, 0).size());
}

// What keeps a saved workbook whole through a power cut: the new file is on
// the disk before it takes the workbook's name, and the name is in its
// folder before the save reports success. A sync the disk refuses fails
// the save as a refused write does, and leaves the old file.
TEST_F(XlsSave, TheFileIsSyncedBeforeItsRenameAndAFailedSyncKeepsTheOldFile) {
  const std::string path = folder_.file("book.xls");
  const std::string folderName = folder_.path().substr(folder_.path().rfind('/') + 1);
  {
    test::DiskStandIn disk;
    ASSERT_TRUE(book_.save(path));
    std::vector<test::DiskStandIn::Call> calls = disk.calls();
    ASSERT_GE(calls.size(), 3u);
    // Every write and the file's sync went to the temporary name; the sync
    // came after the last write, and the folder's after that.
    const test::DiskStandIn::Call folderSync = calls.back();
    calls.pop_back();
    EXPECT_EQ(folderSync, (test::DiskStandIn::Call{"fsync", folderName}));
    EXPECT_EQ(calls.back().call, "fsync");
    for (const auto& c : calls) EXPECT_EQ(c.name.substr(0, 5), ".xls-") << c.call << " " << c.name;
  }
  const std::string saved = readFile(path);
  test::DiskStandIn disk;
  disk.failSyncs(".tmp", EIO);
  Workbook other;
  other.setText(0, 0, "other content");
  std::string reason;
  EXPECT_FALSE(other.save(path, &reason));
  EXPECT_EQ(reason, "Input/output error");
  EXPECT_TRUE(readFile(path) == saved) << "the old workbook was changed";
  EXPECT_EQ(folder_.entries(), std::vector<std::string>{"book.xls"});
}

// A block of rows formed by a row source gives the very bytes of the same
// cells set one by one: shared strings in the same order, the same extent,
// widths and formats, holes and blank cells included.
TEST(XlsRowSource, FormsTheSameFileAsCellsHeldInMemory) {
  // Row i of the block: a number, a text used again in other rows, an
  // empty text (a hole) and, on every third row, a longer row.
  auto value = [](int i, int c) -> std::string {
    if (c == 2) return "";
    if (c == 1) return "reading " + std::to_string(i % 4);
    return "\xC3\x84 wide text in row " + std::to_string(i) + " column " + std::to_string(c);
  };
  auto columns = [](int i) { return i % 3 == 0 ? 7 : 4; };
  for (const int first : {0, 3}) {
    for (const int count : {0, 1, 9}) {
      SCOPED_TRACE("block of " + std::to_string(count) + " rows at row " + std::to_string(first));
      Workbook held("Sheet1"), formed("Sheet1");
      for (Workbook* book : {&held, &formed}) {
        book->setText(0, 4, "title before the block");
        book->addFormat(0, 0, first + 1, 5, kBold);
        book->addFormat(first + count, 0, first + count, 9, kDoubleBottom);  // past the block's last row
      }
      for (int i = 0; i < count; ++i) {
        held.setNumber(first + i, 0, i + 0.5);
        for (int c = 1; c < columns(i); ++c) held.setText(first + i, c, value(i, c));
      }
      formed.setRowSource(first, count, [&](int i, RowValues& row) {
        row.setNumber(0, i + 0.5);
        for (int c = 1; c < columns(i); ++c) row.setText(c, value(i, c));
      });
      if (count > 0) formed.setText(first, 0, "ignored: the block's values come from its source");
      for (Workbook* book : {&held, &formed}) {
        book->autoFitColumns(0, 8);
        book->setText(first + count + 2, 1, "after the fit");
        book->addFormat(first, 8, first, 8, kVCentre);  // widens the block's first row after the fit
      }
      EXPECT_EQ(held.rowCount(), formed.rowCount());
      EXPECT_EQ(held.fileBytes(), formed.fileBytes());
    }
  }
}

// A source whose values change from one reading to the next (its data
// changed while the file was written) still gives a whole file: texts the
// shared string table does not hold are left blank.
TEST_F(XlsWriter, ChangingRowSourceLeavesUnknownTextsBlank) {
  Workbook book("Sheet1");
  int reads = 0;
  book.setRowSource(0, 3, [&](int i, RowValues& row) {
    if (i == 0) ++reads;
    row.setText(0, "kept");
    row.setText(1, "read " + std::to_string(reads));
  });
  book.addFormat(0, 1, 2, 1, kBold);
  const ReadBack r = saveAndRead(book);
  EXPECT_EQ(r.at(2, 0).value, "kept");
  EXPECT_EQ(r.at(2, 1).type, 6);  // blank, with its format
  EXPECT_EQ(r.at(2, 1).bold, 1);
}

}  // namespace
}  // namespace kestrav::datalog::xls
