#include "search/peak_text.h"

#include <gtest/gtest.h>

#include <limits>

namespace korvel {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(PeakText, PeriodHasTheDecimalsOfItsErrorRoundedToTwoDigits) {
  EXPECT_EQ(PeriodWithError(0.5568029617, 6.0918e-6), "0.5568030 \u00b1 0.0000061");
  EXPECT_EQ(PeriodWithError(12.3456, 0.0234), "12.346 \u00b1 0.023");
  // Rounding the error up to the next power of ten takes one decimal fewer.
  EXPECT_EQ(PeriodWithError(0.5568029617, 9.96e-6), "0.556803 \u00b1 0.000010");
  EXPECT_EQ(PeriodWithError(1234.6, 123), "1235 \u00b1 123");
  // Without an error: the period as the best-trials grid writes it.
  EXPECT_EQ(PeriodWithError(0.55680296, kNaN), "0.5568030");
  EXPECT_EQ(PeriodWithError(0.55680296, 0), "0.5568030");
  EXPECT_EQ(PeriodWithError(kNaN, 1e-3), kNoValue);
}

TEST(PeakText, FalseAlarmProbabilityWithOneDigitAndNoNaN) {
  EXPECT_EQ(FapText(0.45), "0.45");
  EXPECT_EQ(FapText(0.0034), "0.003");
  EXPECT_EQ(FapText(0.097), "0.1");
  EXPECT_EQ(FapText(9.7e-4), "0.001");
  EXPECT_EQ(FapText(2.3e-5), "2e-5");
  EXPECT_EQ(FapText(1e-6), "1e-6");
  EXPECT_EQ(FapText(4e-9), "<1e-6");
  EXPECT_EQ(FapText(0), "<1e-6");
  EXPECT_EQ(FapText(kNaN), kNoValue);
  EXPECT_EQ(FapText(-1), kNoValue);
}

TEST(PeakText, APeakWithoutAFitShowsTheGridPeriodAndWhy) {
  PeakReport fitted;
  fitted.peak.period = 0.5569;
  fitted.peak.statistic = 0.0012346;
  fitted.fittedPeriod = 0.5568029617;
  fitted.periodError = 6.0918e-6;
  fitted.fap = fitted.fapAnalytic = kNaN;
  PeakReport unfitted;
  unfitted.peak = {1.79, 0.5598192367, 0.0776, 7, "alias 1 c/d"};
  unfitted.fittedPeriod = unfitted.periodError = kNaN;
  unfitted.problem = "The fit left the peak...";
  unfitted.fap = kNaN;
  unfitted.fapAnalytic = 0.0034;
  const std::vector<PeakReport> peaks{fitted, unfitted};

  EXPECT_EQ(PeakCellText(peaks, 1, 0), "0.5568030 \u00b1 0.0000061");
  EXPECT_EQ(PeakCellText(peaks, 1, 1), "0.001235");
  EXPECT_EQ(PeakCellText(peaks, 1, 2), kNoValue);
  EXPECT_EQ(PeakCellText(peaks, 2, 0), "0.5598192 (The fit left the peak...)");
  EXPECT_EQ(PeakCellText(peaks, 2, 2), "0.003");
  EXPECT_EQ(PeakCellText(peaks, 2, 3), "alias 1 c/d");
  EXPECT_EQ(PeakPeriod(fitted), 0.5568029617);
  EXPECT_EQ(PeakPeriod(unfitted), 0.5598192367);
}

}  // namespace
}  // namespace korvel
