#include <gtest/gtest.h>

#include <chrono>

#include "datalog/Collection.h"
#include "datalog/DatalogScript.h"
#include "display/CellStatusCodes.h"

namespace kestrav::datalog {
namespace {

using test::MonitorFixture;

// Two boards with known readings: board 0 read, board 1 partly never read.
void knownStack(context::Monitor& m) {
  state::BoardStack& s = m.stack;
  s.CARDSTACK = 1;
  s.board[0].CFGRread = {"E2", "00", "01", "00", "71", "AB"};
  s.board[0].FLGRread = {"00", "10", "00"};
  s.board[0].VUVread = "3.120V ";
  s.board[0].VOVread = "4.200V ";
  for (int c = 1; c <= 12; ++c) {
    s.READINGvolts[state::cellReading(0, c)] = 3.6f + 0.001f * static_cast<float>(c);
    s.CELLstatus[state::statusIndex(0, c)] = display::OK;
  }
  s.READINGvolts[state::cellReading(0, 1)] = 3.6045f;  // rounds up
  s.READINGvolts[state::cellReading(0, 12)] = 4.2996f;
  s.CELLstatus[state::statusIndex(0, 11)] = display::DC;
  s.CELLstatus[state::statusIndex(0, 3)] = display::UV;
  s.CELLstatus[state::statusIndex(0, 12)] = display::MD;
  s.READINGvolts[state::temperatureReading(0, 0)] = 1.234f;
  s.READINGvolts[state::temperatureReading(0, 1)] = 1.2334f;
  s.READINGvolts[state::temperatureReading(0, 2)] = 2.901f;
  s.board[1].CFGRread = {"E0", "00", "00", "00", "00", "00"};
  s.READINGvolts[state::cellReading(1, 5)] = 3.5f;
  s.CELLstatus[state::statusIndex(1, 5)] = 9;  // no such status
}

TEST(CollectSample, EveryColumnOfAKnownStack) {
  test::pinLocalTimeToUtc();
  MonitorFixture f;
  context::Monitor& m = f.start();
  knownStack(m);
  m.datalog.DATApoint = 7;
  COLLECT_DATA_xls(m);

  const state::SampleStore& log = m.datalog.DATAlog;
  EXPECT_EQ(m.datalog.DATApoint, 8);
  EXPECT_EQ(log.at(0, 0, 7), "02:05:09 PM @ 12-07-2026");
  EXPECT_EQ(log.at(0, 1, 7), "E2, 00, 01, 00, 71, AB.");
  EXPECT_EQ(log.at(0, 2, 7), "00, 10, 00");
  EXPECT_EQ(log.at(0, 3, 7), "3.120V ");
  EXPECT_EQ(log.at(0, 4, 7), "4.200V ");
  EXPECT_EQ(log.at(0, 5, 7), "3.605");
  EXPECT_EQ(log.at(0, 6, 7), "3.602");
  EXPECT_EQ(log.at(0, 16, 7), "4.300");
  EXPECT_EQ(log.at(0, 17, 7), "OK, OK, UV, OK, OK, OK, OK, OK, OK, OK, DC, MD");
  EXPECT_EQ(log.at(0, 18, 7), " 1.234");
  EXPECT_EQ(log.at(0, 19, 7), " 1.233");
  EXPECT_EQ(log.at(0, 20, 7), " 2.901");
  EXPECT_EQ(log.at(0, 21, 7), "");

  // Never read: zero volts, no reading, empty texts copied as they are.
  EXPECT_EQ(log.at(1, 1, 7), "E0, 00, 00, 00, 00, 00.");
  EXPECT_EQ(log.at(1, 2, 7), ", , ");
  EXPECT_EQ(log.at(1, 3, 7), "");
  EXPECT_EQ(log.at(1, 5, 7), "0.000");
  EXPECT_EQ(log.at(1, 9, 7), "3.500");
  EXPECT_EQ(log.at(1, 17, 7), "NR, NR, NR, NR, NR, NR, NR, NR, NR, NR, NR, NR");
  EXPECT_EQ(log.at(1, 18, 7), " 0.000");

  // Only the stack's boards and only this point.
  EXPECT_EQ(log.at(2, 0, 7), "");
  EXPECT_EQ(log.at(0, 0, 6), "");
  EXPECT_EQ(log.at(0, 0, 8), "");
}

// A clock that moves on one second every time it is read.
class TickingClock : public context::Clock {
 public:
  std::chrono::system_clock::time_point when{std::chrono::seconds(1796652309)};
  std::chrono::system_clock::time_point now() override {
    const auto t = when;
    when += std::chrono::seconds(1);
    return t;
  }
};

TEST(CollectSample, EachBoardIsStampedWhenItIsRecorded) {
  test::pinLocalTimeToUtc();
  test::FakeDesktop desktop;
  TickingClock clock;
  auto script = std::make_shared<test::PortScript>();
  context::Monitor m(test::scriptedPort(script), desktop, clock);
  m.stack.CARDSTACK = 2;
  m.datalog.DATApoint = 1;
  COLLECT_DATA_xls(m);
  EXPECT_EQ(m.datalog.DATAlog.at(0, 0, 1), "02:05:09 PM @ 12-07-2026");
  EXPECT_EQ(m.datalog.DATAlog.at(1, 0, 1), "02:05:10 PM @ 12-07-2026");
  EXPECT_EQ(m.datalog.DATAlog.at(2, 0, 1), "02:05:11 PM @ 12-07-2026");
}

TEST(CollectSample, APointOutsideTheStoreRecordsNothing) {
  MonitorFixture f;
  context::Monitor& m = f.start();
  m.stack.CARDSTACK = 9;
  for (int point : {0, 1001, -3}) {
    m.datalog.DATApoint = point;
    COLLECT_DATA_xls(m);
    EXPECT_EQ(m.datalog.DATApoint, point);
  }
  EXPECT_EQ(m.datalog.DATAlog.at(0, 0, 0), "");
  m.datalog.DATApoint = 1000;  // the last point is still recorded
  COLLECT_DATA_xls(m);
  EXPECT_NE(m.datalog.DATAlog.at(9, 0, 1000), "");
  EXPECT_EQ(m.datalog.DATAlog.at(10, 0, 1000), "");
}

TEST(Stamps, TwelveHourClockAroundMidnightAndNoon) {
  test::pinLocalTimeToUtc();
  test::FixedClock clock;
  using std::chrono::hours;
  clock.when -= hours(14);  // 00:05:09
  EXPECT_EQ(displayStamp(clock), "12:05:09 AM @ 12-07-2026");
  EXPECT_EQ(fileStamp(clock), "12-07-2026_12_05_09 AM");
  clock.when += hours(12);  // 12:05:09
  EXPECT_EQ(displayStamp(clock), "12:05:09 PM @ 12-07-2026");
  clock.when += hours(11);  // 23:05:09
  EXPECT_EQ(displayStamp(clock), "11:05:09 PM @ 12-07-2026");
  EXPECT_EQ(fileStamp(clock), "12-07-2026_11_05_09 PM");
}

TEST(Report, CountsTheSamplesSoFarUntilTheRingWraps) {
  test::pinLocalTimeToUtc();
  MonitorFixture f;
  context::Monitor& m = f.start();
  state::DatalogState& d = m.datalog;
  d.SETpoint = 12;
  d.SAMPLEpoints = 12;
  d.SAMPLEtime = 9.6f;
  d.DATApoint = 1;  // first pass, nothing recorded yet
  REPORT_DLOG_current(m);
  EXPECT_EQ(m.ui.Command1[13].toolTip(), "VIEW 0 SAMPLES FOR 0.000 SECONDS.");
  EXPECT_EQ(d.DCURRENTstamp, "02:05:09 PM @ 12-07-2026");
  EXPECT_EQ(d.DLASTstamp, "12-07-2026_02_05_09 PM");

  d.DATApoint = 11;
  REPORT_DLOG_current(m);
  EXPECT_EQ(d.VIEWpoints, 10);
  EXPECT_EQ(m.ui.Command1[13].toolTip(), "VIEW 10 SAMPLES FOR 8.000 SECONDS.");

  m.stack.CYCLEflag = 1;
  d.DATApoint = 3;
  REPORT_DLOG_current(m);  // a wrapped ring holds the accepted set-up's samples
  EXPECT_EQ(m.ui.Command1[13].toolTip(), "VIEW 12 SAMPLES FOR 9.600 SECONDS.");
}

}  // namespace
}  // namespace kestrav::datalog
