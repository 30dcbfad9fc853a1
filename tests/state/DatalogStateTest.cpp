#include <gtest/gtest.h>

#include "state/DatalogState.h"

namespace kestrav::state {
namespace {

TEST(SampleStore, EveryCellIsItsOwnAndStartsEmpty) {
  SampleStore s;
  EXPECT_EQ(s.at(10, 30, 1000), "");
  s.at(0, 0, 1) = "02:05:09 PM @ 12-07-2026";
  s.at(9, 20, 1000) = " 2.901";
  EXPECT_EQ(s.at(0, 0, 1), "02:05:09 PM @ 12-07-2026");
  EXPECT_EQ(s.at(0, 0, 2), "");
  EXPECT_EQ(s.at(0, 1, 1), "");
  EXPECT_EQ(s.at(1, 0, 1), "");
  EXPECT_EQ(s.at(9, 20, 1000), " 2.901");
}

}  // namespace
}  // namespace kestrav::state
