#include "search/reshuffle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "search_fixtures.h"

namespace korvel {
namespace {

using testing::MakeState;

// The dealing as a person would do it: pick the r-th of the values left,
// close the gap.
std::vector<double> DealByHand(std::vector<double> left, const std::vector<double>& draws) {
  std::vector<double> dealt;
  size_t d = 0;
  while (left.size() >= 2) {
    const size_t r = static_cast<size_t>(draws[d++] * static_cast<double>(left.size()));
    dealt.push_back(left[r]);
    left.erase(left.begin() + static_cast<std::ptrdiff_t>(r));
  }
  dealt.push_back(left.front());
  return dealt;
}

TEST(ReshuffleMags, KeepsDatesValuesMeanAndVarianceAndCountsThePresses) {
  const std::vector<double> t = testing::RandomDates(500, 100, 1);
  AnalysisState s = MakeState(t, testing::Sinusoid(t, 7, 1.3));
  const rarray dates = s.JD;
  rarray sortedBefore = s.Mag;
  std::sort(sortedBefore.begin() + 1, sortedBefore.end());
  const double mean = s.MagMean, variance = s.MagVar;

  EXPECT_EQ(ReshuffleMags(s, 12345), "Reshuffled 1 time.");
  EXPECT_EQ(ReshuffleMags(s, 12346), "Reshuffled 2 times.");
  EXPECT_EQ(s.ShuffleCount, 2);
  EXPECT_EQ(s.JD, dates);
  rarray sortedAfter = s.Mag;
  std::sort(sortedAfter.begin() + 1, sortedAfter.end());
  EXPECT_EQ(sortedAfter, sortedBefore);
  ComputeLoadStatistics(s);
  EXPECT_NEAR(s.MagMean, mean, 1e-12);
  EXPECT_NEAR(s.MagVar, variance, 1e-12);
}

TEST(ReshuffleMags, DealsTheRthRemainingValueForEachDraw) {
  std::mt19937 gen(5);
  std::uniform_real_distribution<double> u(0, 1);
  for (int n : {2, 3, 10, 257}) {
    std::vector<double> mags(static_cast<size_t>(n)), draws;
    for (int i = 0; i < n; ++i) mags[static_cast<size_t>(i)] = 100 + i;
    for (int i = 0; i < n; ++i) draws.push_back(u(gen));
    AnalysisState s = MakeState(std::vector<double>(mags.size(), 0.0), mags);
    size_t next = 0;
    ReshuffleMags(s, [&] { return draws[next++]; });
    EXPECT_EQ(std::vector<double>(s.Mag.begin() + 1, s.Mag.end()), DealByHand(mags, draws))
        << "n = " << n;
    EXPECT_EQ(next, static_cast<size_t>(n - 1));  // the last value needs no draw
  }
}

TEST(ReshuffleMags, ASourceOutsideTheUnitIntervalStaysInsideTheArray) {
  AnalysisState s = MakeState({1, 2, 3}, {5, 6, 7});
  ReshuffleMags(s, [] { return 1.0; });  // always the last remaining
  EXPECT_EQ(s.Mag, (rarray{0, 7, 6, 5}));
  ReshuffleMags(s, [] { return -3.0; });
  EXPECT_EQ(s.Mag, (rarray{0, 7, 6, 5}));
}

TEST(ReshuffleMags, OneObservationStaysAndStillCounts) {
  AnalysisState s = MakeState({1}, {4.5});
  EXPECT_EQ(ReshuffleMags(s, 1), "Reshuffled 1 time.");
  EXPECT_EQ(s.Mag[1], 4.5);
}

TEST(ReshuffleMags, WithoutObservationsDoesNothing) {
  AnalysisState s;
  EXPECT_EQ(ReshuffleMags(s, 1), kNothingToReshuffle);
  EXPECT_EQ(s.ShuffleCount, 0);
  EXPECT_TRUE(s.Mag.empty());
}

TEST(ReshuffleMags, EveryValueIsEquallyLikelyOnEveryDate) {
  AnalysisState s = MakeState({1, 2, 3, 4}, {0, 1, 2, 3});
  int count[4][4] = {};
  const int presses = 8000;
  for (int k = 0; k < presses; ++k) {
    ReshuffleMags(s, static_cast<uint64_t>(k));
    for (int i = 1; i <= 4; ++i) ++count[i - 1][static_cast<int>(s.Mag[i])];
  }
  for (auto& date : count)
    for (int c : date) EXPECT_NEAR(c, presses / 4, presses / 4 * 0.1);
}

}  // namespace
}  // namespace korvel
