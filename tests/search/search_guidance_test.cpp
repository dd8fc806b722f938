#include "search/search_guidance.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace korvel {
namespace {

TEST(NightlySpacing, IsTheMedianOfTheGapsWithinNights) {
  // Two nights a day apart; a repeated date and the gap between the nights
  // say nothing of the cadence. Gaps within nights: 0.01, 0.02, 0.03, 0.02.
  const std::vector<double> even = {10.00, 10.01, 10.03, 10.03, 10.06, 11.00, 11.02};
  ASSERT_TRUE(MedianNightlySpacing(even).has_value());
  EXPECT_NEAR(*MedianNightlySpacing(even), 0.02, 1e-12);
  // Gaps 0.1, 0.3 and 0.2 within nights: the middle one.
  const std::vector<double> odd = {0, 0.1, 0.4, 0.6, 5};
  EXPECT_NEAR(*MedianNightlySpacing(odd), 0.2, 1e-12);
}

TEST(NightlySpacing, NothingWithoutAGapWithinANight) {
  EXPECT_FALSE(MedianNightlySpacing(std::vector<double>{1, 2, 3.5, 3.5, 7}).has_value());
  EXPECT_FALSE(MedianNightlySpacing(std::vector<double>{}).has_value());
  EXPECT_FALSE(MedianNightlySpacing(std::vector<double>{5}).has_value());
}

TEST(Sampling, WarnsOfPeriodsTheDatesCannotShow) {
  // 150 nights of 20 observations 0.004 d apart: span 149.076 d.
  std::vector<double> jd;
  for (int night = 0; night < 150; ++night)
    for (int k = 0; k < 20; ++k) jd.push_back(59000 + night + 0.004 * k);
  const SamplingWarnings bad = CheckSampling(0.0001, 1000, jd);
  EXPECT_TRUE(bad.pminBelowSpacing);
  EXPECT_TRUE(bad.pmaxBeyondHalfSpan);
  EXPECT_NEAR(*bad.spacing, 0.004, 1e-9);
  EXPECT_NEAR(bad.span, 149.076, 1e-6);
  // The limits themselves are still fine: 2 x 0.004 and half the span.
  const SamplingWarnings fine = CheckSampling(0.008 + 1e-9, 74.5, jd);
  EXPECT_FALSE(fine.pminBelowSpacing);
  EXPECT_FALSE(fine.pmaxBeyondHalfSpan);
  // One observation a night: no cadence, so no warning about it.
  EXPECT_FALSE(CheckSampling(0.0001, 10, std::vector<double>{1, 2, 3, 4}).pminBelowSpacing);
  EXPECT_FALSE(CheckSampling(1, 10, std::vector<double>{}).pmaxBeyondHalfSpan);
}

TEST(SearchTime, IsTrialsTimesObservationsOverTheSpeed) {
  EXPECT_DOUBLE_EQ(SecondsFor(1e6, 3000, 1e8), 30);
  EXPECT_EQ(SecondsFor(1e6, 3000, 0), 0);  // no speed known: no division by zero
}

TEST(SearchSpeed, MeasuredForEveryMethodOnSearchableData) {
  std::vector<double> jd, mag;
  for (int i = 0; i < 200; ++i) {
    jd.push_back(1000 + i * 0.37);
    mag.push_back(12 + 0.3 * std::sin(i * 0.37));
  }
  const Observations o = ObservationsOf(jd, mag);
  for (SearchKind kind : {SearchKind::LaflerKinman, SearchKind::Deeming, SearchKind::Secondary}) {
    SearchRequest r;
    r.method = kind;
    r.secondary = {3.0, 0, 0, 4, 1};
    const auto speed = MeasureSearchSpeed(r, o, 0.01);
    ASSERT_TRUE(speed.has_value()) << static_cast<int>(kind);
    EXPECT_TRUE(std::isfinite(*speed) && *speed > 0);
  }
  // Data the search refuses (equal magnitudes) have no speed.
  const std::vector<double> flat(200, 12.0);
  EXPECT_FALSE(MeasureSearchSpeed({}, ObservationsOf(jd, flat), 0.01).has_value());
}

}  // namespace
}  // namespace korvel
