#include "search/peaks.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <variant>
#include <vector>

#include "search/search_methods.h"
#include "search/search_pipeline.h"

namespace korvel {
namespace {

// A 0.5568-day sinusoid observed once a night (with a little scatter in the
// hour) for 150 nights: its spectrum has the true peak and daily aliases.
struct NightlyStar {
  std::vector<double> jd, mag;
  Observations o;
  NightlyStar() {
    std::mt19937 gen(7);
    std::uniform_real_distribution<double> hour(-0.08, 0.08);
    std::normal_distribution<double> noise(0, 0.02);
    for (int night = 0; night < 150; ++night) {
      const double t = 2460000.0 + night + hour(gen);
      jd.push_back(t);
      mag.push_back(12 + 0.3 * std::sin(2 * std::numbers::pi * t / 0.5568) + noise(gen));
    }
    o = ObservationsOf(jd, mag);
  }
  double Span() const { return jd.back() - jd.front(); }
};

SearchResult Search(const NightlyStar& star, SearchKind kind) {
  SearchRequest request;
  request.method = kind;
  request.pmin = 0.3;
  request.pmax = 2;
  request.phaseShift = 0.05;
  PlainSearchHooks hooks;
  return RunSearch(std::get<PreparedSearch>(PrepareSearch(request, star.o)), star.o, hooks);
}

TEST(DistinctPeaks, OnePerPeakBestFirstWithTheDailyAliasLabelled) {
  const NightlyStar star;
  for (const SearchKind kind : {SearchKind::Deeming, SearchKind::LaflerKinman}) {
    const SearchResult r = Search(star, kind);
    const std::vector<Peak> peaks = DistinctPeaks(r, 5, star.Span());
    ASSERT_EQ(peaks.size(), 5u);
    // The first peak is the best trial of the search, frequency and all.
    EXPECT_EQ(peaks[0].frequency, r.best[0].freq);
    EXPECT_EQ(peaks[0].statistic, r.best[0].value);
    EXPECT_NEAR(peaks[0].period, 0.5568, 0.001);
    for (size_t a = 0; a < peaks.size(); ++a)
      for (size_t b = a + 1; b < peaks.size(); ++b) {
        EXPECT_GE(std::abs(peaks[a].frequency - peaks[b].frequency), PeakWidth(star.Span()));
        EXPECT_FALSE(MethodOf(kind).smallerIsBetter ? peaks[b].statistic < peaks[a].statistic
                                                    : peaks[b].statistic > peaks[a].statistic);
      }
    bool alias = false;
    for (const Peak& p : peaks) alias = alias || p.label == "alias 1 c/d";
    EXPECT_TRUE(alias) << MethodOf(kind).name;
  }
}

TEST(DistinctPeaks, LabelsHarmonicsAndAliasesOfTheBestPeak) {
  const double w = 0.005;
  EXPECT_EQ(PeakLabel(0.9, 1.8, w), "2P");
  EXPECT_EQ(PeakLabel(3.6, 1.8, w), "P/2");
  EXPECT_EQ(PeakLabel(0.6, 1.8, w), "3P");
  EXPECT_EQ(PeakLabel(5.4, 1.8, w), "P/3");
  EXPECT_EQ(PeakLabel(0.8, 1.8, w), "alias 1 c/d");
  EXPECT_EQ(PeakLabel(3.8, 1.8, w), "alias 2 c/d");
  EXPECT_EQ(PeakLabel(1.8 + 1 / 365.25, 1.8, 0.001), "alias 1/yr");
  EXPECT_EQ(PeakLabel(2.5, 1.8, w), "");
}

TEST(DistinctPeaks, FlatOrMissingStatisticsAndNoCountGiveFewOrNone) {
  SearchResult r;
  r.method = SearchKind::Deeming;
  r.statistic.first = 1;
  r.statistic.step = 0.25;
  r.statistic.value = {2, 2, 2, NAN, 2};
  r.statistic.trials = 5;
  const std::vector<Peak> flat = DistinctPeaks(r, 5, 100);
  ASSERT_EQ(flat.size(), 2u);  // each run of equal values counts at its start
  EXPECT_EQ(flat[0].frequency, 1);
  EXPECT_EQ(flat[1].frequency, 2);
  EXPECT_TRUE(DistinctPeaks(r, 0, 100).empty());
  EXPECT_TRUE(DistinctPeaks(r, 5, 0).empty());
  r.statistic.value.assign(5, NAN);
  EXPECT_TRUE(DistinctPeaks(r, 5, 100).empty());
}

}  // namespace
}  // namespace korvel
