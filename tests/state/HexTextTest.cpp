#include <gtest/gtest.h>

#include "state/HexText.h"

namespace kestrav::state {
namespace {

TEST(HexText, TwoUpperCaseDigitsWithLeadingZero) {
  EXPECT_EQ(hexByte(0), "00");
  EXPECT_EQ(hexByte(10), "0A");
  EXPECT_EQ(hexByte(0xE0), "E0");
  EXPECT_EQ(hexByte(255), "FF");
}

TEST(HexText, LeadingHexValueReadsLeadingDigitsOnly) {
  EXPECT_EQ(leadingHexValue("E0"), 0xE0);
  EXPECT_EQ(leadingHexValue("af"), 0xAF);
  EXPECT_EQ(leadingHexValue(""), 0);
  EXPECT_EQ(leadingHexValue("  "), 0);
  EXPECT_EQ(leadingHexValue("1G"), 1);
  // An absurdly long text stays bounded instead of overflowing.
  EXPECT_GT(leadingHexValue(std::string(40, 'F')), 0);
}

TEST(HexText, ReadingsInVoltsAndTheirText) {
  EXPECT_FLOAT_EQ(codeToVolts(4095), 6.144f);
  EXPECT_NEAR(codeToVolts(2400), 3.6009f, 1e-4);
  EXPECT_EQ(readingText(0.0f), " 0.000V  ");
  EXPECT_EQ(readingText(3.6f), " 3.600V  ");
  EXPECT_EQ(fixed(125 * 0.024f, 3), "3.000");
  EXPECT_EQ(fixed(-0.0001, 3), "0.000");
}

}  // namespace
}  // namespace kestrav::state
