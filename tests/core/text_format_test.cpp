#include "core/text_format.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>
#include <string>

namespace korvel {
namespace {

TEST(Str, FixedPointRightAligned) {
  EXPECT_EQ(Str(3.14159, 0, 3), "3.142");
  EXPECT_EQ(Str(3.14159, 8, 2), "    3.14");
  EXPECT_EQ(Str(-1.5, 6, 1), "  -1.5");
  EXPECT_EQ(Str(123456.789, 4, 1), "123456.8");  // wider than w: written in full
  EXPECT_EQ(Str(2.0, 0, 0), "2");
  EXPECT_EQ(Str(int64_t{7}, 2), " 7");
  EXPECT_EQ(Str(int64_t{123}, 2), "123");
}

TEST(Str, ValueRoundingToZeroHasNoMinus) {
  EXPECT_EQ(Str(-0.00001, 0, 4), "0.0000");
  EXPECT_EQ(Str(-0.0, 5, 1), "  0.0");
  EXPECT_EQ(Str(-0.00006, 0, 4), "-0.0001");
}

// Rounding that carries into a new integer digit widens the text; the width
// is counted after rounding.
TEST(Str, RoundingCarriesAndWidthCountsTheRoundedText) {
  struct Case {
    double x;
    int w, d;
    const char* text;
  } const cases[] = {
      {9.9996, 0, 3, "10.000"},  {9.9996, 6, 3, "10.000"},
      {9.9996, 7, 3, " 10.000"}, {-9.96, 5, 1, "-10.0"},
      {0.126, 0, 2, "0.13"},     {99.5001, 3, 0, "100"},
      {0.04999, 4, 1, " 0.0"},   {1e-7, 0, 10, "0.0000001000"},
      {2.6, 0, -1, "3"},  // a negative decimal count writes no decimals
  };
  for (const Case& c : cases)
    EXPECT_EQ(Str(c.x, c.w, c.d), c.text) << c.x << " : " << c.w << " : " << c.d;
}

TEST(Str, ExtremeValuesAreWrittenInFull) {
  const std::string max = Str(DBL_MAX, 0, 2);
  EXPECT_EQ(max.size(), 309u + 3u);
  EXPECT_EQ(max.substr(0, 5), "17976");
  EXPECT_EQ(max.substr(max.size() - 3), ".00");
  EXPECT_EQ(Str(-DBL_MAX, 0, 0).size(), 310u);
  EXPECT_EQ(Str(std::numeric_limits<int64_t>::min(), 0), "-9223372036854775808");
  EXPECT_EQ(Str(int64_t{-5}, 3), " -5");
}

// Never a sentinel number: a value that is not finite says so.
TEST(Str, NonFiniteValuesAreNamed) {
  EXPECT_EQ(Str(std::nan(""), 0, 3), "NAN");
  EXPECT_EQ(Str(std::nan(""), 5, 3), "  NAN");
  EXPECT_EQ(Str(HUGE_VAL, 6, 2), "  +INF");
  EXPECT_EQ(Str(-HUGE_VAL, 0, 2), "-INF");
}

}  // namespace
}  // namespace korvel
