#include <gtest/gtest.h>

#include "state/DatalogState.h"

namespace kestrav::state {
namespace {

TEST(SampleStore, EveryCellIsItsOwnAndStartsEmpty) {
  SampleStore s;
  EXPECT_EQ(s.sample(9, 32767), nullptr);
  EXPECT_EQ(s.text(10, 30, 32767), nullptr);
  s.setText(0, 0, 1, "02:05:09 PM @ 12-07-2026");
  s.setText(9, 20, 32767, " 2.901");
  EXPECT_EQ(*s.text(0, 0, 1), "02:05:09 PM @ 12-07-2026");
  EXPECT_EQ(s.text(0, 0, 2), nullptr);
  EXPECT_EQ(s.text(0, 1, 1), nullptr);
  EXPECT_EQ(s.text(1, 0, 1), nullptr);
  EXPECT_EQ(*s.text(9, 20, 32767), " 2.901");
}

TEST(SampleStore, WritingASampleReplacesItsKeptTextsAndResetEmptiesAll) {
  SampleStore s;
  s.reset(3);
  s.setText(2, 5, 3, "nan");
  s.write(2, 3).milli[0] = 3604;
  EXPECT_EQ(s.text(2, 5, 3), nullptr);
  ASSERT_NE(s.sample(2, 3), nullptr);
  EXPECT_EQ(s.sample(2, 3)->milli[0], 3604);
  EXPECT_EQ(s.sample(2, 2), nullptr);
  s.write(4, 40);  // beyond the room made: the ring grows
  EXPECT_NE(s.sample(4, 40), nullptr);
  for (int bad : {0, 32768, -1}) {
    s.setText(0, 0, bad, "x");
    EXPECT_EQ(s.text(0, 0, bad), nullptr);
  }
  std::uint16_t a = 9, b = 9;
  EXPECT_TRUE(s.thresholdIndex("3.120V ", &a));
  EXPECT_TRUE(s.thresholdIndex("4.200V ", &b));
  EXPECT_NE(a, b);
  EXPECT_TRUE(s.thresholdIndex("3.120V ", &b));
  EXPECT_EQ(a, b);
  EXPECT_EQ(s.threshold(a), "3.120V ");
  s.reset(1);
  EXPECT_EQ(s.sample(2, 3), nullptr);
  EXPECT_EQ(s.sample(4, 40), nullptr);
}

}  // namespace
}  // namespace kestrav::state
