#include "search/conditional_entropy.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "engine_fixtures.h"

namespace korvel {
namespace {

using testing::NoisyStar;
using testing::RequestOf;

// H the obvious way: each cell of the phase x magnitude grid counts the
// observations inside its own bounds.
double DirectEntropy(const Observations& o, int phaseBins, int magBins, double freq) {
  const double lo = *std::min_element(o.mag.begin(), o.mag.end());
  const double hi = *std::max_element(o.mag.begin(), o.mag.end());
  const double n = static_cast<double>(o.size());
  double h = 0;
  for (int j = 0; j < phaseBins; ++j) {
    double column = 0;
    std::vector<double> cell(static_cast<size_t>(magBins), 0.0);
    for (size_t i = 0; i < o.size(); ++i) {
      const double cycles = freq * (o.jd[i] - o.jd[0]);
      const double phase = cycles - std::floor(cycles);
      if (phase < static_cast<double>(j) / phaseBins || phase >= (j + 1.0) / phaseBins) continue;
      column += 1;
      const double m = (o.mag[i] - lo) / (hi - lo);
      for (int k = 0; k < magBins; ++k)
        if ((m >= static_cast<double>(k) / magBins && m < (k + 1.0) / magBins) ||
            (k == magBins - 1 && m == 1))
          cell[static_cast<size_t>(k)] += 1;
    }
    for (double c : cell)
      if (c > 0) h += (c / n) * std::log((column / n) / (c / n));
  }
  return h;
}

TEST(ConditionalEntropy, FindsTheTruePeriod) {
  const testing::Star star = NoisyStar(300, 0.7319, 0.03, 3);
  const SearchResult r = testing::SearchOf(RequestOf("ce"), star.Values());
  ASSERT_TRUE(r.completed);
  EXPECT_NEAR(r.best[0].period, 0.7319, 0.002);
  EXPECT_LT(r.best[0].value, r.best[1].value + 1e-12);
}

TEST(ConditionalEntropy, EntropyOfEveryTrialIsTheDirectOne) {
  const testing::Star star = NoisyStar(40, 0.7319, 0.05, 5);
  const Observations o = star.Values();
  for (const auto& grid : {std::pair{10, 5}, std::pair{4, 9}}) {
    // Plain variables: clang 14 lets no lambda capture a structured binding.
    const int phaseBins = grid.first, magBins = grid.second;
    const SearchResult r = testing::SearchOf(RequestOf("ce", 0.05, 1,
                                                       [&](SearchRequest& q) {
                                                         q.cePhaseBins = phaseBins;
                                                         q.ceMagBins = magBins;
                                                       }),
                                             o);
    const std::vector<double> freqs = testing::TrialFrequencies(r.statistic);
    ASSERT_GT(freqs.size(), 300u);
    for (size_t k = 0; k < freqs.size(); ++k)
      ASSERT_NEAR(r.statistic.value[k], DirectEntropy(o, phaseBins, magBins, freqs[k]), 1e-12)
          << phaseBins << " x " << magBins << ", trial " << k;
  }
}

TEST(ConditionalEntropy, ThreadsDoNotChangeTheResult) {
  const testing::Star star = NoisyStar(80, 1.3, 0.1, 9);
  const Observations o = star.Values();
  testing::ExpectSameResults(testing::SearchOf(RequestOf("ce", 0.01, 1), o),
                             testing::SearchOf(RequestOf("ce", 0.01, 3), o));
}

TEST(ConditionalEntropy, RefusesTooFewOrTooManyBins) {
  const testing::Star star = NoisyStar(20, 1.3, 0.1, 9);
  const Observations o = star.Values();
  const auto with = [&](int phaseBins, int magBins) {
    return testing::RefusalOf(RequestOf("ce", 0.02, 1,
                                        [=](SearchRequest& q) {
                                          q.cePhaseBins = phaseBins;
                                          q.ceMagBins = magBins;
                                        }),
                              o);
  };
  EXPECT_EQ(with(10, 1), "At least 2 phase bins and 2 magnitude bins are needed...");
  EXPECT_EQ(with(256, 5), "At most 255 phase bins are possible...");
  EXPECT_EQ(with(10, 5), "");
}

}  // namespace
}  // namespace korvel
