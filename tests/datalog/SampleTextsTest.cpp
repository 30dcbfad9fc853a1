#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <ctime>
#include <limits>
#include <random>
#include <set>

#include "datalog/Collection.h"
#include "datalog/DatalogScript.h"
#include "datalog/SampleTexts.h"
#include "display/CellStatusCodes.h"
#include "state/HexText.h"

namespace kestrav::datalog {
namespace {

using test::MonitorFixture;

// The texts a sample was recorded as when the ring held texts: the
// reference the compact ring must give back byte for byte.
std::string referenceStamp(std::chrono::system_clock::time_point when) {
  const std::time_t t = std::chrono::system_clock::to_time_t(when);
  std::tm tm{};
  localtime_r(&t, &tm);
  const int h = tm.tm_hour % 12;
  char buf[96];
  std::snprintf(buf, sizeof buf, "%02d:%02d:%02d %s @ %02d-%02d-%04d", h == 0 ? 12 : h, tm.tm_min, tm.tm_sec,
                tm.tm_hour < 12 ? "AM" : "PM", tm.tm_mon + 1, tm.tm_mday, tm.tm_year + 1900);
  return buf;
}

std::string joined(const std::string* first, int count) {
  std::string out;
  for (int i = 0; i < count; ++i) {
    if (i > 0) out += ", ";
    out += first[i];
  }
  return out;
}

std::string referenceText(const state::BoardStack& s, int b, int column, const std::string& stamp) {
  const state::BoardRecord& r = s.board[static_cast<std::size_t>(b)];
  if (column == 0) return stamp;
  if (column == 1) return joined(r.CFGRread.data(), 6) + ".";
  if (column == 2) return joined(r.FLGRread.data(), 3);
  if (column == 3) return r.VUVread;
  if (column == 4) return r.VOVread;
  if (column <= 16) return state::fixed(s.READINGvolts[state::cellReading(b, column - 4)], 3);
  if (column == 17) {
    std::string names[state::kCellsPerBoard];
    for (int c = 1; c <= state::kCellsPerBoard; ++c)
      names[c - 1] = display::cellStatusCode(s.CELLstatus[state::statusIndex(b, c)]).shortName;
    return joined(names, state::kCellsPerBoard);
  }
  if (column <= 20) return " " + state::fixed(s.READINGvolts[state::temperatureReading(b, column - 18)], 3);
  return "";
}

class RandomStack {
 public:
  explicit RandomStack(unsigned seed) : rng_(seed) {}

  void fill(state::BoardStack& s) {
    for (int b = 0; b < state::kBoards; ++b) {
      state::BoardRecord& r = s.board[static_cast<std::size_t>(b)];
      for (auto& t : r.CFGRread) t = registerText();
      for (auto& t : r.FLGRread) t = registerText();
      r.VUVread = thresholdText();
      r.VOVread = thresholdText();
      for (int c = 1; c <= state::kCellsPerBoard; ++c) {
        s.READINGvolts[state::cellReading(b, c)] = volts();
        s.CELLstatus[state::statusIndex(b, c)] = pick(0, 9) == 0 ? pick(-3, 12) : pick(0, 6);
      }
      for (int t = 0; t < 3; ++t) s.READINGvolts[state::temperatureReading(b, t)] = volts();
    }
  }

  // Any moment from 1990 to 2150, to the millisecond.
  std::chrono::system_clock::time_point moment() {
    std::uniform_int_distribution<long long> ms(631152000000LL, 5680281600000LL);
    return std::chrono::system_clock::time_point(std::chrono::milliseconds(ms(rng_)));
  }
  int pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }

 private:
  std::string registerText() {
    switch (pick(0, 9)) {
      case 0: return "";
      case 1: return "e" + std::to_string(pick(0, 9));  // lower case
      case 2: return std::to_string(pick(0, 999));      // one to three digits
      case 3: return "G0";
      default: return state::hexByte(pick(0, 255));
    }
  }
  std::string thresholdText() {
    switch (pick(0, 5)) {
      case 0: return "";
      case 1: return "x" + std::to_string(pick(0, 100000));
      default: return state::fixed(pick(0, 255) * 0.024, 3) + "V ";
    }
  }
  float volts() {
    switch (pick(0, 11)) {
      case 0: return std::numeric_limits<float>::quiet_NaN();
      case 1: return pick(0, 1) ? std::numeric_limits<float>::infinity() : -std::numeric_limits<float>::infinity();
      case 2: return -0.0004f * static_cast<float>(pick(0, 2));  // prints as -0.000
      case 3: return std::uniform_real_distribution<float>(-40.0f, 40.0f)(rng_);
      case 4: return std::uniform_real_distribution<float>(-1e9f, 1e9f)(rng_);
      case 5: return static_cast<float>(pick(-32768, 32768)) / 1000.0f;  // around the 16-bit edge
      default: return state::codeToVolts(pick(0, 4095));
    }
  }
  std::mt19937 rng_;
};

TEST(SampleTexts, FormedTextsEqualTheTextFormationOverRandomSamples) {
  test::pinLocalTimeToUtc();
  MonitorFixture f;
  context::Monitor& m = f.start();
  RandomStack random(20261207);
  // Every round at a point of its own, so that boards beyond its stack read
  // empty there; the ring is made at its full length once.
  m.datalog.DATAlog.reset(32767);
  std::set<int> used;
  for (int round = 0; round < 1500; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    random.fill(m.stack);
    m.stack.CARDSTACK = random.pick(0, 9);
    f.clock.when = random.moment();
    int point = random.pick(1, 32767);
    while (!used.insert(point).second) point = random.pick(1, 32767);
    m.datalog.DATApoint = point;
    COLLECT_DATA_xls(m);
    const std::string stamp = referenceStamp(f.clock.when);
    const SampleTexts texts(m.datalog.DATAlog);
    for (int b = 0; b < state::SampleStore::kBoards; ++b)
      for (int c = 0; c < state::SampleStore::kColumns; ++c) {
        const std::string want = b <= m.stack.CARDSTACK ? referenceText(m.stack, b, c, stamp) : "";
        ASSERT_EQ(texts.at(b, c, point), want) << "board " << b << ", column " << c;
      }
  }
}

TEST(SampleTexts, OrdinarySamplesAreHeldAsNumbersAndCodes) {
  test::pinLocalTimeToUtc();
  MonitorFixture f;
  context::Monitor& m = f.start();
  state::BoardStack& s = m.stack;
  s.CARDSTACK = 9;
  for (int b = 0; b < 10; ++b) {
    s.board[static_cast<std::size_t>(b)].CFGRread = {"E2", "00", "01", "00", "71", "AB"};
    s.board[static_cast<std::size_t>(b)].FLGRread = {"00", "10", ""};
    s.board[static_cast<std::size_t>(b)].VUVread = "3.120V ";
    for (int c = 1; c <= 12; ++c) s.READINGvolts[state::cellReading(b, c)] = state::codeToVolts(2400 + c);
    s.READINGvolts[state::temperatureReading(b, 2)] = -1.5f;
  }
  m.datalog.DATAlog.reset(50);
  for (int p = 1; p <= 50; ++p) {
    m.datalog.DATApoint = p;
    COLLECT_DATA_xls(m);
  }
  for (int b = 0; b < 10; ++b)
    for (int c = 0; c <= 20; ++c) EXPECT_EQ(m.datalog.DATAlog.text(b, c, 50), nullptr) << b << "/" << c;
  EXPECT_LE(m.datalog.DATAlog.bytes(), 50u * 10u * 64u + 1000u);
  EXPECT_EQ(SampleTexts(m.datalog.DATAlog).at(3, 20, 7), " -1.500");
}

}  // namespace
}  // namespace kestrav::datalog
