#include "search/false_alarm.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <variant>
#include <vector>

#include "search/search_pipeline.h"

namespace korvel {
namespace {

struct Star {
  std::vector<double> t, m;
  Observations o;
  Star(double amplitude, unsigned seed) {
    std::mt19937 gen(seed);
    std::uniform_real_distribution<double> date(0, 200);
    std::normal_distribution<double> noise(0, 0.05);
    for (int i = 0; i < 60; ++i) t.push_back(2460000 + date(gen));
    std::sort(t.begin(), t.end());
    for (double x : t)
      m.push_back(12 + amplitude * std::sin(2 * std::numbers::pi * x / 0.37) + noise(gen));
    o = ObservationsOf(t, m);
  }
};

PreparedSearch Prepared(const Star& s) {
  SearchRequest r;
  r.method = SearchKind::Deeming;
  r.pmin = 0.25;
  r.pmax = 1;
  r.phaseShift = 0.05;
  return std::get<PreparedSearch>(PrepareSearch(r, s.o));
}

TEST(FalseAlarm, AStrongSignalBeatsEveryShuffleOnAnyNumberOfThreads) {
  const Star star(0.3, 1);
  const PreparedSearch p = Prepared(star);
  PlainSearchHooks hooks;
  const SearchResult r = RunSearch(p, star.o, hooks);
  const std::vector<Peak> peaks = DistinctPeaks(r, 2, r.span);
  const std::vector<FalseAlarm> one = ShuffledFalseAlarms(p, star.o, peaks, 39, 5, 1);
  ASSERT_EQ(one.size(), 2u);
  EXPECT_EQ(one[0].fap1, 1.0 / 40);  // (0 + 1) / (39 + 1)
  EXPECT_EQ(one[0].fap2, 1.0 / 40);
  EXPECT_EQ(one[0].low, 0);
  EXPECT_GT(one[0].high, 0);
  EXPECT_LT(one[0].high, 0.15);
  // The second peak (a side lobe or an alias) is no better than the first.
  EXPECT_GE(one[1].fap1, one[0].fap1);
  const std::vector<FalseAlarm> three = ShuffledFalseAlarms(p, star.o, peaks, 39, 5, 3);
  EXPECT_EQ(three[1].fap1, one[1].fap1);
  EXPECT_EQ(three[1].fap2, one[1].fap2);
  EXPECT_EQ(ShuffledFalseAlarms(p, star.o, peaks, 0, 5, 1)[0].shuffles, 0);
}

}  // namespace
}  // namespace korvel
