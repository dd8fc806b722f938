#include "search/pdm.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "engine_fixtures.h"

namespace korvel {
namespace {

using testing::NoisyStar;
using testing::RequestOf;

// Theta the obvious way: every one of the B C bins gathers the observations
// of its own interval, its variance from its own mean.
double DirectTheta(const Observations& o, int bins, int covers, double freq) {
  const size_t n = o.size();
  double mean = 0;
  for (double m : o.mag) mean += m;
  mean /= static_cast<double>(n);
  double total = 0;
  for (double m : o.mag) total += (m - mean) * (m - mean);
  double within = 0, dof = 0;
  for (int j = 0; j < bins * covers; ++j) {
    std::vector<double> in;
    for (size_t i = 0; i < n; ++i) {
      const double cycles = freq * (o.jd[i] - o.jd[0]);
      // How far past the bin's start the phase lies, in units of 1 / (B C)
      // (whole numbers stay exact at the bin edges).
      double from = (cycles - std::floor(cycles)) * (bins * covers) - j;
      if (from < 0) from += bins * covers;
      if (from < covers) in.push_back(o.mag[i]);
    }
    if (in.size() < 2) continue;
    double m = 0;
    for (double x : in) m += x;
    m /= static_cast<double>(in.size());
    for (double x : in) within += (x - m) * (x - m);
    dof += static_cast<double>(in.size()) - 1;
  }
  return (within / dof) / (total / (static_cast<double>(n) - 1));
}

TEST(Pdm, FindsTheTruePeriod) {
  const testing::Star star = NoisyStar(150, 0.7319, 0.05, 3);
  const SearchResult r = testing::SearchOf(RequestOf("pdm"), star.Values());
  ASSERT_TRUE(r.completed);
  EXPECT_NEAR(r.best[0].period, 0.7319, 0.002);
  EXPECT_LT(r.best[0].value, 0.5);
}

TEST(Pdm, ThetaOfEveryTrialIsTheDirectOne) {
  const testing::Star star = NoisyStar(40, 0.7319, 0.05, 5);
  const Observations o = star.Values();
  for (const auto& layout : {std::pair{10, 2}, std::pair{5, 1}, std::pair{7, 3}}) {
    // Plain variables: clang 14 lets no lambda capture a structured binding.
    const int bins = layout.first, covers = layout.second;
    const SearchResult r = testing::SearchOf(RequestOf("pdm", 0.05, 1,
                                                       [&](SearchRequest& q) {
                                                         q.pdmBins = bins;
                                                         q.pdmCovers = covers;
                                                       }),
                                             o);
    const std::vector<double> freqs = testing::TrialFrequencies(r.statistic);
    ASSERT_GT(freqs.size(), 300u);
    for (size_t k = 0; k < freqs.size(); ++k)
      ASSERT_NEAR(r.statistic.value[k], DirectTheta(o, bins, covers, freqs[k]), 1e-9)
          << bins << " bins, " << covers << " covers, trial " << k;
  }
}

TEST(Pdm, ThreadsDoNotChangeTheResult) {
  const testing::Star star = NoisyStar(80, 1.3, 0.1, 9);
  const Observations o = star.Values();
  testing::ExpectSameResults(testing::SearchOf(RequestOf("pdm", 0.01, 1), o),
                             testing::SearchOf(RequestOf("pdm", 0.01, 3), o));
}

TEST(Pdm, RefusesBinsAndCoversItCannotUse) {
  const testing::Star star = NoisyStar(9, 1.3, 0.1, 9);
  const Observations o = star.Values();
  const auto with = [&](int bins, int covers) {
    return testing::RefusalOf(RequestOf("pdm", 0.02, 1,
                                        [=](SearchRequest& q) {
                                          q.pdmBins = bins;
                                          q.pdmCovers = covers;
                                        }),
                              o);
  };
  EXPECT_EQ(with(1, 2), "At least 2 phase bins are needed...");
  EXPECT_EQ(with(4, 0), "The number of covers must be from 1 to 16...");
  EXPECT_EQ(with(9, 2),
            "Too few observations for the number of bins: more observations than bins are "
            "needed...");
  EXPECT_EQ(with(8, 2), "");
}

}  // namespace
}  // namespace korvel
