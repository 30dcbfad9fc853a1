#include <gtest/gtest.h>

#include <filesystem>

#include "TempFolder.h"
#include "XlsReadBack.h"
#include "datalog/Export.h"
#include "support/MonitorFixture.h"

namespace kestrav::datalog {
namespace {

using test::ReadBack;

// Texts of one sample as the collection writes them, different for every
// board, column and point (`tag` makes them longer and all distinct).
std::string sampleText(int b, int j, int p, bool tag = false) {
  std::string t;
  if (j == 0) t = "02:05:" + std::string(p % 60 < 10 ? "0" : "") + std::to_string(p % 60) + " PM @ 12-07-2026";
  else if (j == 1) t = "E2, 00, 00, 00, 00, 0" + std::to_string(b) + ".";
  else if (j == 2) t = "00, 00, 0" + std::to_string(p % 10);
  else if (j == 3) t = "3.120V  ";
  else if (j == 4) t = "4.200V  ";
  else if (j <= 16) t = "3." + std::to_string(100 + (b * 37 + j * 11 + p) % 900);
  else if (j == 17) t = "OK, OK, OK, OK, OK, OK, OK, OK, OK, OK, DC, " + std::string(p % 2 ? "NR" : "UV");
  else t = " 1." + std::to_string(200 + b * 10 + j);
  if (tag) t += " (board " + std::to_string(b) + ", column " + std::to_string(j) + ", point " + std::to_string(p) + ")";
  return t;
}

// "A" for 0, "V" for 21, "GT" for 201.
std::string columnName(int c) {
  return c < 26 ? std::string(1, static_cast<char>('A' + c))
                : std::string(1, static_cast<char>('A' + c / 26 - 1)) + static_cast<char>('A' + c % 26);
}

class Export : public ::testing::Test {
 protected:
  void SetUp() override {
    python_ = test::pythonWithXlrd();
    m_ = &fixture_.build();
    fixture_.desktop.folder = folder_.path();
    auto& d = m_->datalog;
    d.NewFile = folder_.file("datalog.xls");
    d.DSETUPstamp = "02:05:09 PM @ 12-07-2026";
    d.SAMPLEpoints = 12;
    d.SAMPLEtime = 9.6f;
    d.DCURRENTstamp = "02:07:11 PM @ 12-07-2026";
    d.DLASTstamp = "12-07-2026_02_07_11 PM";
    d.VIEWpoints = 2;
    d.VIEWtime = 1.6f;
  }

  // A ring of `setPoint` points, `stored` of them written, as the
  // collection leaves it; COUNTERstop as the caller sets it.
  void ring(int cardstack, int setPoint, int stored, int cycleFlag, int counterStop, bool tag = false) {
    m_->stack.CARDSTACK = cardstack;
    m_->datalog.SETpoint = setPoint;
    m_->datalog.DATApoint = counterStop;
    m_->stack.CYCLEflag = cycleFlag;
    m_->stack.COUNTERstop = counterStop;
    for (int p = 1; p <= stored; ++p)
      for (int b = 0; b <= cardstack; ++b)
        for (int j = 0; j <= 20; ++j) m_->datalog.DATAlog.setText(b, j, p, sampleText(b, j, p, tag));
  }

  ReadBack read(const std::string& path, const std::string& mode = "all") {
    auto r = test::readBack(*python_, path, mode);
    EXPECT_TRUE(r.has_value());
    if (!r) return {};
    EXPECT_TRUE(r->warnings.empty()) << r->warnings.front();
    EXPECT_EQ(r->container, test::pythonHasOlefile(*python_) ? "ok" : "missing");
    return *r;
  }

  // Data row `row` (0-based) holds sample `sample` taken from point `p`.
  void expectDataRow(const ReadBack& r, int row, int sample, int p, int cardstack, bool tag = false) {
    SCOPED_TRACE("row " + std::to_string(row + 1));
    EXPECT_EQ(r.at(row, 0).type, 2);
    EXPECT_EQ(r.at(row, 0).value, std::to_string(sample) + ".0");
    EXPECT_EQ(r.at(row, 1).value, sampleText(0, 0, p, tag));
    for (int b = 0; b <= cardstack; ++b)
      for (int j = 1; j <= 20; ++j) {
        EXPECT_EQ(r.at(row, 20 * b + 1 + j).type, 1);
        EXPECT_EQ(r.at(row, 20 * b + 1 + j).value, sampleText(b, j, p, tag)) << columnName(20 * b + 1 + j);
      }
  }

  bool skip() const { return !python_; }

  test::TempFolder folder_;
  test::MonitorFixture fixture_;
  context::Monitor* m_ = nullptr;
  std::optional<std::string> python_;
};

#define SKIP_WITHOUT_XLRD() \
  if (skip()) GTEST_SKIP() << "python3 with xlrd is not installed"

TEST_F(Export, OneBoardLayoutTextsAndFormats) {
  SKIP_WITHOUT_XLRD();
  ring(0, 5, 2, 0, 3);
  SAVE_2_xls(*m_);
  EXPECT_TRUE(fixture_.desktop.messages.empty());
  const std::string path = folder_.file("datalog.xls");
  const ReadBack r = read(path);

  EXPECT_EQ(r.sheetName, "Sheet1");
  EXPECT_EQ(r.rows, 13);
  EXPECT_EQ(r.columns, 22);  // ends at V

  // Information block.
  EXPECT_EQ(r.at(0, 0).value, path);
  EXPECT_EQ(r.at(1, 0).value, "KESTRAV-1 DATALOGGING SPREADSHEET");
  EXPECT_EQ(r.at(2, 1).value, "DATALOG SETUP MADE   = 02:05:09 PM @ 12-07-2026");
  EXPECT_EQ(r.at(3, 1).value, "SECONDS = 9.600");
  EXPECT_EQ(r.at(4, 1).value, "SAMPLES = 12");
  EXPECT_EQ(r.at(5, 1).value, "CURRENT DATALOG VIEW = 02:07:11 PM @ 12-07-2026");
  EXPECT_EQ(r.at(6, 1).value, "SECONDS = 1.600");
  EXPECT_EQ(r.at(7, 1).value, "SAMPLES = 2");

  // Headers of rows 10 and 11.
  const std::vector<std::string> row10{
      "SAMPLE",     "TIME STAMP", "(1) RD-CFGR0-5", "(1) RD-FLGR0-2", "(1) UVTHR", "(1) OVTHR",
      "(1) CV 1",   "(1) CV 2",   "(1) CV 3",       "(1) CV 4",       "(1) CV 5",  "(1) CV 6",
      "(1) CV 7",   "(1) CV 8",   "(1) CV 9",       "(1) CV 10",      "(1) CV 11", "(1) CV 12",
      "(1) CELL1 - CELL12 STATUS", "(1) ETMP1", "(1) ETMP2", "(1) ITMP1"};
  const std::vector<std::string> row11{"POINT", "Date/Time", "HEX",   "HEX",   "VOLTS", "VOLTS",  "VOLTS", "VOLTS",
                                       "VOLTS", "VOLTS",     "VOLTS", "VOLTS", "VOLTS", "VOLTS",  "VOLTS", "VOLTS",
                                       "VOLTS", "VOLTS",     "STATUS", "VOLTS", "VOLTS", "VOLTS"};
  for (int c = 0; c < 22; ++c) {
    EXPECT_EQ(r.at(9, c).value, row10[static_cast<std::size_t>(c)]) << columnName(c) << "10";
    EXPECT_EQ(r.at(10, c).value, row11[static_cast<std::size_t>(c)]) << columnName(c) << "11";
  }
  // The status legend in S1..S8.
  const std::vector<std::string> legend{"STATUS LEGEND",     "NR = NO READING",      "OK = GOOD",
                                        "DC = DISCHARGE",    "UV = UNDER VOLTAGE",   "OV = OVER VOLTAGE",
                                        "MI = MASKED INTERRUPT", "MD = MASKED DISCHARGE"};
  for (int row = 0; row < 8; ++row) EXPECT_EQ(r.at(row, 18).value, legend[static_cast<std::size_t>(row)]);
  EXPECT_EQ(r.at(8, 18).type == 1, false);

  expectDataRow(r, 11, 1, 1, 0);
  expectDataRow(r, 12, 2, 2, 0);

  // Formats: bold and centred over A1..V11 (blank cells included), a
  // double thick line under row 11, row 12 centred, data rows plain.
  for (int row = 0; row < 13; ++row)
    for (int c = 0; c < 22; ++c) {
      SCOPED_TRACE(columnName(c) + std::to_string(row + 1));
      const test::ReadCell& cell = r.at(row, c);
      EXPECT_EQ(cell.bold, row <= 10 ? 1 : 0);
      EXPECT_EQ(cell.vertical, row <= 11 ? 1 : 2);
      EXPECT_EQ(cell.bottom, row == 10 ? 6 : 0);
    }

  // Widths fitted to each column's headers and data, before the
  // information block was written: A1's long path does not widen A.
  for (int c = 0; c < 22; ++c) EXPECT_GT(r.width(c), 0) << columnName(c);
  EXPECT_LT(r.width(0), 12 * 256);
  EXPECT_LT(r.width(1), 36 * 256);
  EXPECT_GE(r.width(1), 24 * 256 * 3 / 4);   // the time stamp
  EXPECT_GE(r.width(18), 46 * 256 * 3 / 4);  // the status list
  EXPECT_GT(r.width(18), r.width(19));
  EXPECT_GE(r.width(6), 8 * 256 * 3 / 4);    // "(1) CV 1" in bold
}

TEST_F(Export, RowsFollowTheRingOldestFirst) {
  SKIP_WITHOUT_XLRD();
  struct Case {
    const char* what;
    int setPoint, stored, cycleFlag, counterStop;
    std::vector<int> points;
  };
  const std::vector<Case> cases{
      {"before the first sample", 5, 0, 0, 1, {}},
      {"not yet wrapped", 5, 3, 0, 4, {1, 2, 3}},
      {"wrapped at point 3", 3, 3, 1, 3, {3, 1, 2}},
      {"wrapped, next point 1", 3, 3, 1, 1, {1, 2, 3}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    m_->datalog.DATAlog = state::SampleStore{};
    ring(0, k.setPoint, k.stored, k.cycleFlag, k.counterStop);
    SAVE_2_xls(*m_);
    const ReadBack r = read(m_->datalog.NewFile);
    EXPECT_EQ(r.columns, 22);
    for (std::size_t i = 0; i < k.points.size(); ++i)
      expectDataRow(r, 11 + static_cast<int>(i), static_cast<int>(i) + 1, k.points[i], 0);
    // Nothing below the last sample; without samples, row 12 holds only
    // its format and the headers are all there is.
    for (const auto& [at, cell] : r.cells)
      if (at.first >= 11 + static_cast<int>(k.points.size())) {
        EXPECT_TRUE(cell.type == 0 || cell.type == 6);
      }
    EXPECT_EQ(r.rows, 11 + std::max<int>(1, static_cast<int>(k.points.size())));
    EXPECT_EQ(r.at(10, 21).bottom, 6);
    // The export leaves the ring and its counters alone.
    EXPECT_EQ(m_->stack.COUNTERstop, k.counterStop);
    EXPECT_EQ(m_->stack.CYCLEflag, k.cycleFlag);
    EXPECT_EQ(m_->datalog.DATApoint, k.counterStop);
  }
  EXPECT_TRUE(m_->datalog.LastDATAlog.empty());
}

TEST_F(Export, TenBoardsEndAtColumnGT) {
  SKIP_WITHOUT_XLRD();
  ring(9, 4, 2, 0, 3);
  SAVE_2_xls(*m_);
  const ReadBack r = read(m_->datalog.NewFile);
  EXPECT_EQ(r.columns, 202);
  ASSERT_EQ(columnName(201), "GT");
  EXPECT_EQ(r.at(9, 201).value, "(10) ITMP1");
  EXPECT_EQ(r.at(9, 182).value, "(10) RD-CFGR0-5");  // GA
  EXPECT_EQ(r.at(9, 186).value, "(10) CV 1");
  EXPECT_EQ(r.at(9, 22).value, "(2) RD-CFGR0-5");    // W
  EXPECT_EQ(r.at(9, 41).value, "(2) ITMP1");         // AP
  ASSERT_EQ(columnName(198), "GQ");
  EXPECT_EQ(r.at(0, 198).value, "STATUS LEGEND");
  EXPECT_EQ(r.at(7, 198).value, "MD = MASKED DISCHARGE");
  EXPECT_EQ(r.at(9, 198).value, "(10) CELL1 - CELL12 STATUS");
  for (int b = 0; b < 10; ++b) EXPECT_EQ(r.at(1, 20 * b + 18).value, "NR = NO READING") << b;
  for (int c = 0; c < 202; ++c) {
    EXPECT_EQ(r.at(10, c).bottom, 6) << columnName(c);
    EXPECT_EQ(r.at(0, c).bold, 1) << columnName(c);
    EXPECT_EQ(r.at(11, c).vertical, 1) << columnName(c);
  }
  expectDataRow(r, 11, 1, 1, 9);
  expectDataRow(r, 12, 2, 2, 9);
}

TEST_F(Export, LastDatalogGoesToTheProgramFolderUnderTheStamp) {
  SKIP_WITHOUT_XLRD();
  const std::string folder = folder_.file("Datenlog \xC3\x84\xC3\x96\xC3\x9C \xE2\x82\xAC");  // not only ASCII
  std::filesystem::create_directory(folder);
  fixture_.desktop.folder = folder;
  m_->datalog.DLASTstamp = "12-07-2026_02_05_09 PM";
  ring(0, 3, 1, 0, 2);
  const std::string newFile = m_->datalog.NewFile;

  SAVE_Last_DATAlog_xls(*m_);

  const std::string expected = folder + "/12-07-2026_02_05_09 PM_LAST_DATALOG.xls";
  EXPECT_TRUE(fixture_.desktop.messages.empty());
  EXPECT_EQ(m_->datalog.LastDATAlog, expected);
  EXPECT_EQ(m_->datalog.NewFile, newFile);
  EXPECT_FALSE(std::filesystem::exists(newFile));
  ASSERT_TRUE(std::filesystem::exists(expected));
  const ReadBack r = read(expected);
  EXPECT_EQ(r.at(0, 0).value, expected);
  expectDataRow(r, 11, 1, 1, 0);
}

TEST_F(Export, UnwritableTargetIsReportedAndTheActionGoesOn) {
  ring(0, 3, 2, 0, 3);
  const std::string missing = folder_.file("no such folder/datalog.xls");
  m_->datalog.NewFile = missing;
  SAVE_2_xls(*m_);
  ASSERT_EQ(fixture_.desktop.messages.size(), 1u);
  const test::ShownMessage& shown = fixture_.desktop.messages[0];
  EXPECT_NE(shown.text.find(missing), std::string::npos) << shown.text;
  EXPECT_NE(shown.text.find("No such file or directory"), std::string::npos) << shown.text;
  EXPECT_EQ(shown.title, context::kDefaultMessageTitle);
  EXPECT_EQ(shown.buttons, context::MessageButtons::OK);
  EXPECT_EQ(shown.icon, context::MessageIcon::Exclamation);
  EXPECT_EQ(folder_.entries(), std::vector<std::string>{});

  m_->datalog.NewFile.clear();
  SAVE_2_xls(*m_);
  ASSERT_EQ(fixture_.desktop.messages.size(), 2u);
  EXPECT_NE(fixture_.desktop.messages[1].text.find("no file"), std::string::npos);

  fixture_.desktop.folder = folder_.file("gone");
  SAVE_Last_DATAlog_xls(*m_);
  ASSERT_EQ(fixture_.desktop.messages.size(), 3u);
  EXPECT_NE(fixture_.desktop.messages[2].text.find(m_->datalog.LastDATAlog), std::string::npos);
  EXPECT_EQ(m_->datalog.LastDATAlog, folder_.file("gone") + "/12-07-2026_02_07_11 PM_LAST_DATALOG.xls");
  EXPECT_EQ(folder_.entries(), std::vector<std::string>{});
}

TEST_F(Export, FullRingOfTenBoardsReadsBack) {
  SKIP_WITHOUT_XLRD();
  // Every text distinct, so that the file passes what the 109 FAT sectors
  // of the header can map and the compound file needs DIFAT sectors.
  ring(9, 1000, 1000, 1, 501, true);
  SAVE_2_xls(*m_);
  EXPECT_TRUE(fixture_.desktop.messages.empty());
  const std::string path = m_->datalog.NewFile;
  EXPECT_GT(std::filesystem::file_size(path), 109u * 128 * 512);
  const ReadBack r = read(path, "edges");
  EXPECT_EQ(r.rows, 11 + 1000);
  EXPECT_EQ(r.columns, 202);
  if (r.container == "ok") {
    EXPECT_GT(r.difatSectors, 0);
  }
  expectDataRow(r, 11, 1, 501, 9, true);
  expectDataRow(r, 12, 2, 502, 9, true);
  expectDataRow(r, 1010, 1000, 500, 9, true);
  EXPECT_EQ(r.at(510, 0).value, "500.0");
}

// FNV-1a of a file's bytes: a fingerprint of the whole workbook.
std::uint64_t fingerprint(const std::vector<std::uint8_t>& bytes) {
  std::uint64_t h = 0xcbf29ce484222325ull;
  for (const std::uint8_t b : bytes) h = (h ^ b) * 0x100000001b3ull;
  return h;
}

// The workbook is formed from the ring while it is written; these
// fingerprints hold it to the bytes the same rings gave when every cell was
// first built in memory, so a change in the streaming shows as a changed
// file and not only as a changed read-back.
TEST_F(Export, WorkbookBytesStayTheSame) {
  struct Case {
    const char* what;
    int cardstack, setPoint, stored, cycleFlag, counterStop;
    std::uint64_t expected;
  };
  const std::vector<Case> cases{
      {"no samples", 0, 5, 0, 0, 1, 0xc096d0cd574f50c3ull},
      {"one board, not wrapped", 0, 5, 3, 0, 4, 0xa0a2746a397fb0daull},
      {"three boards, wrapped", 2, 7, 7, 1, 4, 0x5c83aecf0a3dc0efull},
      {"ten boards, wrapped", 9, 40, 40, 1, 17, 0x2fb7ca2ba92535a8ull},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    m_->datalog.DATAlog = state::SampleStore{};
    ring(k.cardstack, k.setPoint, k.stored, k.cycleFlag, k.counterStop);
    const auto bytes = datalogWorkbook(*m_, "/home/bench/datalog.xls").fileBytes();
    EXPECT_EQ(fingerprint(bytes), k.expected);
  }
}

}  // namespace
}  // namespace kestrav::datalog
