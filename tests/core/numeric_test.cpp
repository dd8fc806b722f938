#include "core/numeric.h"

#include <gtest/gtest.h>

namespace korvel {
namespace {

TEST(IntBelow, TruncatesNonNegativeAndFloorsNegative) {
  EXPECT_EQ(IntBelow(0.0), 0.0);
  EXPECT_EQ(IntBelow(2.7), 2.0);
  EXPECT_EQ(IntBelow(-0.25), -1.0);
  EXPECT_EQ(IntBelow(-2.5), -3.0);
}

TEST(IntBelow, NegativeWholeNumberGivesPhaseOne) {
  EXPECT_EQ(IntBelow(-2.0), -3.0);
  EXPECT_EQ(Frac(-2.0), 1.0);
  EXPECT_EQ(Frac(-1.0), 1.0);
  EXPECT_EQ(Frac(3.0), 0.0);
}

TEST(IntBelow, WholePartsBeyondThirtyTwoBits) {
  EXPECT_EQ(IntBelow(3.0e9 + 0.5), 3.0e9);
  EXPECT_EQ(IntBelow(-5.0e12 - 0.5), -5.0e12 - 1.0);
  EXPECT_DOUBLE_EQ(Frac(4294967296.25), 0.25);
  EXPECT_DOUBLE_EQ(Frac(-4294967296.25), 0.75);
}

TEST(IntPower, MultipliesOrDivides) {
  EXPECT_EQ(IntPower(10, 0), 1.0);
  EXPECT_EQ(IntPower(10, 3), 1000.0);
  EXPECT_EQ(IntPower(-2, 3), -8.0);
  EXPECT_DOUBLE_EQ(IntPower(10, -2), 0.01);
  EXPECT_EQ(IntPower(2, 40), 1099511627776.0);
}

TEST(TrimZeros, KeepsOneDigitAfterThePoint) {
  EXPECT_EQ(TrimZeros("2.5000"), "2.5");
  EXPECT_EQ(TrimZeros("3.0000"), "3.0");
  EXPECT_EQ(TrimZeros("120"), "120");
  EXPECT_EQ(TrimZeros("100.0"), "100.0");
  EXPECT_EQ(TrimZeros("0.1200"), "0.12");
  EXPECT_EQ(TrimZeros(""), "");
  EXPECT_EQ(TrimZeros("  -2.500"), "  -2.5");  // a padded negative text, as Str writes it
}

}  // namespace
}  // namespace korvel
