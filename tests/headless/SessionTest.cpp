// The headless session on the simulator: the steps with plain results, and
// every failure as a returned reason instead of a box or the end.

#include <gtest/gtest.h>

#include "config/Thresholds.h"
#include "headless/Session.h"
#include "link/TransactionObserver.h"
#include "link/ports/SimulatedPort.h"
#include "sim/Simulator.h"

namespace kestrav::headless {
namespace {

std::unique_ptr<Session> openOk(const std::string& uri, SessionOptions o = {}) {
  Failure why;
  auto s = Session::open(uri, o, why);
  EXPECT_TRUE(s) << why.text;
  return s;
}

TEST(Session, ConfiguresWritesAndReadsOneBoard) {
  auto s = openOk("sim:4?seed=7");
  ASSERT_TRUE(s);
  EXPECT_EQ(s->identification().substr(0, 9), "KESTRAV-2");
  ASSERT_FALSE(s->setBoards(4));
  EXPECT_EQ(s->boards(), 4);
  EXPECT_EQ(s->address(1), 0x82);

  ASSERT_FALSE(s->setThresholds(1, 3.1, 4.2));
  ASSERT_FALSE(s->setDischarge(1, 1u << 2));       // cell 3
  ASSERT_FALSE(s->setMask(1, (1u << 10) | (1u << 11)));  // cells 11, 12
  ASSERT_FALSE(s->setCdc(1, 2));
  ASSERT_FALSE(s->setConfigFlag(1, ConfigFlag::Gpio1, true));
  PreparedConfig p;
  ASSERT_FALSE(s->prepared(1, p));
  EXPECT_EQ(p.discharge, 1u << 2);
  EXPECT_EQ(p.mask, (1u << 10) | (1u << 11));
  EXPECT_EQ(p.cdc, 2);
  EXPECT_TRUE(p.gpio1);
  EXPECT_NEAR(p.vuv, 3.096, 1e-6);
  EXPECT_NEAR(p.vov, 4.2, 1e-6);
  PreparedConfig other;
  ASSERT_FALSE(s->prepared(0, other));
  EXPECT_EQ(other.vov, 0.0);  // per-board thresholds

  ASSERT_FALSE(s->writeConfig(1, false));
  ConfigReading c;
  ASSERT_FALSE(s->readConfig(1, c));
  EXPECT_EQ(c.registers[4], 129);
  EXPECT_EQ(c.registers[5], 175);
  EXPECT_TRUE(c.matchesPrepared);
  EXPECT_TRUE(c.pec.ok);
  ConfigReading unwritten;
  ASSERT_FALSE(s->readConfig(0, unwritten));
  EXPECT_TRUE(unwritten.pec.ok);

  CellsReading cells;
  ASSERT_FALSE(s->readCells(1, true, cells));
  EXPECT_TRUE(cells.pec.ok);
  for (int i = 0; i < 12; ++i) {
    EXPECT_GT(cells.volts[i], 3.4) << i;
    EXPECT_LT(cells.volts[i], 3.8) << i;
    EXPECT_NEAR(cells.volts[i], cells.codes[i] * 6.144 / 4095, 1e-5);
  }
  TempsReading t;
  ASSERT_FALSE(s->readTemps(1, true, t));
  EXPECT_GT(t.itmp, 2.0);
  FlagsReading f;
  ASSERT_FALSE(s->readFlags(1, f));
  EXPECT_EQ(f.uv, 0);
  EXPECT_EQ(f.ov, 0);
  std::array<std::string, 12> st;
  ASSERT_FALSE(s->statuses(1, st));
  EXPECT_EQ(st[0], "OK");
  EXPECT_EQ(st[2], "DC");
  EXPECT_EQ(st[10], "MI");

  std::vector<BoardSnapshot> all;
  ASSERT_FALSE(s->readAll(all));
  ASSERT_EQ(all.size(), 4u);
  EXPECT_EQ(all[3].address, "84");
}

TEST(Session, RefusedValuesChangeNothingAndTellTheWindowsText) {
  auto s = openOk("sim:2");
  ASSERT_TRUE(s);
  EXPECT_EQ(s->setBoards(11).kind, Fault::OutOfRange);
  ASSERT_FALSE(s->setBoards(2));
  ASSERT_FALSE(s->setAllThresholds(3.1, 4.2));
  Failure f = s->setThresholds(0, 4.2, 3.1);
  EXPECT_EQ(f.kind, Fault::OutOfRange);
  EXPECT_EQ(f.text, config::kThresholdOrderMessage);
  EXPECT_EQ(s->setAllThresholds(3.0, 6.2).text, config::kThresholdRangeMessage);
  EXPECT_EQ(s->setThresholds(1, std::nullopt, 3.0).text, config::kThresholdOrderMessage);  // below the kept VUV
  PreparedConfig p;
  ASSERT_FALSE(s->prepared(1, p));
  EXPECT_NEAR(p.vuv, 3.096, 1e-6);
  EXPECT_NEAR(p.vov, 4.2, 1e-6);
  CellsReading cells;
  EXPECT_EQ(s->readCells(2, true, cells).kind, Fault::OutOfRange);
  EXPECT_EQ(s->setAddress(0, 0x90).kind, Fault::OutOfRange);
  EXPECT_EQ(s->setDischarge(0, 1u << 12).kind, Fault::OutOfRange);
}

TEST(Session, ReadsGiveUpOrTellTheMismatchAsPecMatchOnlySays) {
  auto s = openOk("sim:2");
  ASSERT_TRUE(s);
  s->simulator()->setFaultShares(1.0, 0, 0);
  CellsReading cells;
  Failure f = s->readCells(0, true, cells);
  ASSERT_EQ(f.kind, Fault::PecGaveUp);
  EXPECT_EQ(f.command, "RDCV");
  EXPECT_EQ(f.attempts, 10);
  EXPECT_NE(f.received, f.computed);
  EXPECT_FALSE(s->lost());  // the session goes on

  s->setPecMatchOnly(false);
  ASSERT_FALSE(s->readCells(0, true, cells));
  EXPECT_FALSE(cells.pec.ok);
  EXPECT_NE(cells.pec.received, cells.pec.computed);

  s->simulator()->setFaultShares(0, 0, 0);
  ASSERT_FALSE(s->readCells(0, true, cells));
  EXPECT_TRUE(cells.pec.ok);
}

struct WrittenStrings : link::TransactionObserver {
  std::vector<std::string> written;
  void transactionDone(const link::Transaction& t) override { written.push_back(t.written); }
  int count(const std::string& head) const {
    int n = 0;
    for (const std::string& w : written) n += w.rfind(head, 0) == 0 ? 1 : 0;
    return n;
  }
};

// Every board in one fast pass: one broadcast start of each conversion,
// then each board's reads; a read that gives up names its board and command.
TEST(Session, ReadAllIsOneFastPassOfTheStack) {
  auto s = openOk("sim:3?seed=3");
  ASSERT_TRUE(s);
  ASSERT_FALSE(s->setBoards(3));
  WrittenStrings link;
  s->monitor().link.setObserver(&link);
  std::vector<BoardSnapshot> all;
  ASSERT_FALSE(s->readAll(all));
  ASSERT_EQ(all.size(), 3u);
  EXPECT_EQ(link.count("MSxS10X"), 1);  // STCVAD to every chip at once
  EXPECT_EQ(link.count("MSxS30X"), 1);  // STTMPAD to every chip at once
  for (const char* address : {"81", "82", "83"}) {
    EXPECT_EQ(link.count(std::string("MSxT") + address + "T04"), 1) << address;  // RDCV
    EXPECT_EQ(link.count(std::string("MSxT") + address + "T08"), 1) << address;  // RDTMP
    EXPECT_EQ(link.count(std::string("MSxT") + address + "T06"), 1) << address;  // RDFLG
  }
  for (const BoardSnapshot& b : all) {
    EXPECT_TRUE(b.cells.pec.ok) << b.board;
    EXPECT_GT(b.cells.volts[0], 3.4) << b.board;
    EXPECT_GT(b.temps.itmp, 2.0) << b.board;
    EXPECT_EQ(b.statuses[0], "OK") << b.board;
  }

  s->simulator()->setFaultShares(1.0, 0, 0);
  const Failure f = s->readAll(all);
  EXPECT_EQ(f.kind, Fault::PecGaveUp);
  EXPECT_EQ(f.board, 0);
  EXPECT_EQ(f.command, "RDCV");
  EXPECT_EQ(f.attempts, 10);
  EXPECT_NE(f.received, f.computed);
  EXPECT_FALSE(s->lost());
  s->monitor().link.setObserver(nullptr);
}

TEST(Session, ALostBridgeFailsThisAndEveryLaterStep) {
  for (const bool matchOnly : {true, false}) {
    SessionOptions o;
    o.pecMatchOnly = matchOnly;
    auto s = openOk("sim:2", o);
    ASSERT_TRUE(s);
    s->simulator()->unplug();
    FlagsReading f;
    EXPECT_EQ(s->readFlags(0, f).kind, Fault::Lost) << matchOnly;
    EXPECT_TRUE(s->lost());
    EXPECT_EQ(s->setBoards(1).kind, Fault::Lost);
    EXPECT_EQ(s->writeConfig(0, true).kind, Fault::Lost);
  }
}

TEST(Session, ARefusedBridgeAndBadPlacesAreReasons) {
  sim::SimOptions so;
  so.identity = "KESTRAV-3";
  auto simulator = std::make_shared<sim::Simulator>(so);
  Failure why;
  EXPECT_FALSE(Session::open(std::make_unique<link::SimulatedPort>(simulator, false), simulator, {}, why));
  EXPECT_EQ(why.kind, Fault::Refused);
  EXPECT_EQ(why.text.substr(0, 9), "KESTRAV-3");

  for (const char* bad : {"sim:0", "sim:16", "sim:4?seed=x", "sim:4?speed=1", "tty:", "usb:3", "sim4"}) {
    EXPECT_FALSE(Session::open(bad, {}, why)) << bad;
    EXPECT_EQ(why.kind, Fault::OutOfRange) << bad;
  }
  std::string error;
  const auto tty = parseBridgeUri("tty:/dev/pts/5?baud=9600", error);
  ASSERT_TRUE(tty);
  EXPECT_EQ(tty->path, "/dev/pts/5");
  EXPECT_EQ(tty->baud, 9600);
  const auto sim = parseBridgeUri("sim:3?realtime=1&seed=9", error);
  ASSERT_TRUE(sim);
  EXPECT_TRUE(sim->realTime);
  EXPECT_EQ(sim->seed, 9u);
  EXPECT_EQ(sim->boards, 3);
}

TEST(Session, ASeedGivesTheSameReadingsEveryRun) {
  auto read = [](const std::string& uri) {
    auto s = openOk(uri);
    CellsReading c;
    EXPECT_FALSE(s->readCells(0, true, c));
    return c.codes;
  };
  EXPECT_EQ(read("sim:1?seed=7"), read("sim:1?seed=7"));
  EXPECT_NE(read("sim:1?seed=7"), read("sim:1?seed=8"));
}

}  // namespace
}  // namespace kestrav::headless
