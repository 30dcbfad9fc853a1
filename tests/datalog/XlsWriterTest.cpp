#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "TempFolder.h"
#include "XlsReadBack.h"
#include "datalog/xls/Workbook.h"

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

  const ReadBack r = saveAndRead(book);
  ASSERT_EQ(r.rows, static_cast<int>(texts.size()));
  for (std::size_t i = 0; i < texts.size(); ++i) {
    SCOPED_TRACE("string " + std::to_string(i));
    EXPECT_EQ(r.at(static_cast<int>(i), 0).value, texts[i]);
    EXPECT_EQ(r.at(static_cast<int>(i), 1).value, texts[i]);
  }
  EXPECT_EQ(r.at(0, 2).value, longest);
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
