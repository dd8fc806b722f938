// The engines against arithmetic done by hand on series small enough to
// check on paper, and a grid whose every trial frequency is exact in binary,
// so that its last trial is known without running it and must come out the
// same on any number of threads.

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <optional>
#include <string>
#include <vector>

#include "search/deeming.h"
#include "search/document_search.h"
#include "search_fixtures.h"

namespace korvel {
namespace {

using testing::MakeState;

// Hooks that keep the frequency of the state at every trial's events, on a
// chosen number of threads.
class FreqHooks : public SilentSearchHooks {
 public:
  FreqHooks(const AnalysisState& s, int threads) : SilentSearchHooks(threads), s_(s) {}
  void BetweenTrials() override {
    ++events;
    lastFreq = s_.Freq;
  }
  int events = 0;
  double lastFreq = 0;

 private:
  const AnalysisState& s_;
};

// A search as the dialog starts it: its values stored and checked, then the
// command's steps and the engine.
void Search(AnalysisState& s, SearchKind kind, double pmax, double pmin, double shift,
            FreqHooks& hooks) {
  s.Pmax = pmax;
  s.Pmin = pmin;
  s.FreqStep = shift;
  ASSERT_EQ(CheckSearchable(s, kind), std::nullopt);
  testing::Begin(s, kind, pmax, pmin, shift);
  RunSearch(s, kind, hooks);
}

// Four observations at t = 0, 1, 3, 6 days (offsets from the first date are
// what the engines fold, and these are exact), magnitudes 15, 12, 6, 7.
//   mean = (15 + 12 + 6 + 7) / 4 = 40 / 4 = 10
//   deviations m - mean: 5, 2, -4, -3
//   sum of squared deviations: 25 + 4 + 16 + 9 = 54  (MagVar = 54 / 4 = 13.5)
// At the trial frequency f = 0.25 (period 4 d) the phases frac(t f) are
//   t = 0: 0     t = 1: 0.25     t = 3: 0.75     t = 6: frac(1.5) = 0.5
AnalysisState FourPoints() {
  return MakeState({2460000, 2460001, 2460003, 2460006}, {15, 12, 6, 7});
}

TEST(HandComputed, LaflerKinmanThetaOfFourPoints) {
  // Ordered by phase: t = 0, 1, 6, 3, magnitudes 15, 12, 7, 6. The squared
  // steps between neighbours, the last closing on the first:
  //   (12 - 15)^2 + (7 - 12)^2 + (6 - 7)^2 + (15 - 6)^2 = 9 + 25 + 1 + 81 = 116
  //   theta = 116 / 54 = 58 / 27 = 2.148148...
  // (in date order the steps would give 9 + 36 + 1 + 64 = 110: the order by
  // phase matters).
  AnalysisState s = FourPoints();
  FreqHooks hooks(s, 1);
  // Step = phase shift / span = 1.5 / 6 = 0.25; from 1/4 to 1/2 that is the
  // two trials f = 0.25 and f = 0.5. At f = 0.5 the phases are 0, 0.5, 0.5,
  // 0: in order t = 0, 6, 1, 3 (equal phases keep observation order),
  // magnitudes 15, 7, 12, 6, steps 64 + 25 + 36 + 81 = 206, theta 103 / 27.
  Search(s, SearchKind::LaflerKinman, 4, 2, 1.5, hooks);

  EXPECT_EQ(hooks.events, 2);
  EXPECT_EQ(s.BestFreq[1], 0.25);
  EXPECT_EQ(s.BestPeriod[1], 4);
  EXPECT_DOUBLE_EQ(s.BestParam[1], 58.0 / 27.0);
  EXPECT_DOUBLE_EQ(s.BestParam[2], 103.0 / 27.0);
  EXPECT_EQ(s.TrialParam, s.BestParam[2]);
}

TEST(HandComputed, DeemingAmplitudeOfFourPoints) {
  // The weights are the deviations 5, 2, -4, -3. The parabolic sine and
  // cosine meet the true ones at every quarter cycle:
  //   phase 0: (s, c) = (0, 1)    0.25: (1, 0)    0.5: (0, -1)    0.75: (-1, 0)
  // f = 0.25, phases 0, 0.25, 0.75, 0.5 (t = 0, 1, 3, 6):
  //   SS = 5*0 + 2*1 + (-4)*(-1) + (-3)*0 = 6
  //   SC = 5*1 + 2*0 + (-4)*0 + (-3)*(-1) = 8
  //   A = 1.898 sqrt((6/4)^2 + (8/4)^2) = 1.898 sqrt(2.25 + 4) = 1.898 * 2.5 = 4.745
  // f = 0.5, phases 0, 0.5, frac(1.5) = 0.5, frac(3) = 0:
  //   SS = 0
  //   SC = 5*1 + 2*(-1) + (-4)*(-1) + (-3)*1 = 4
  //   A = 1.898 sqrt(0 + (4/4)^2) = 1.898
  AnalysisState s = FourPoints();
  FreqHooks hooks(s, 1);
  // Step 1.5 / 6 = 0.25 from 1/4 to 1/2: the trials 0.25 and 0.5.
  Search(s, SearchKind::Deeming, 4, 2, 1.5, hooks);

  EXPECT_EQ(s.AmpDist.AmpTrials, 2);
  // The largest first. The square roots are exact, so the only rounding is
  // the product with the factor, the same here as in the engine.
  EXPECT_EQ(s.BestFreq[1], 0.25);
  EXPECT_EQ(s.BestParam[1], 2.5 * kAmplitudeFactor);
  EXPECT_DOUBLE_EQ(s.BestParam[1], 4.745);
  EXPECT_EQ(s.BestFreq[2], 0.5);
  EXPECT_EQ(s.BestParam[2], kAmplitudeFactor);
  EXPECT_EQ(s.BestParam[3], 0);  // no third trial
}

// The grid of the threaded comparison: dates from 2450000 to 2450256, so that
// the phase shift 1/16 makes the step 2^-4 / 2^8 = 2^-12 exactly; periods 1 to
// 4 d. Every trial 1/4 + k 2^-12 is then exact, the additions make no
// rounding, and the trials are k = 0 .. 3072 (3073 of them), the last at
// f = 1/4 + 3072/4096 = 1 exactly; the step after it, 1 + 2^-12, leaves the
// grid.
constexpr double kSpan = 256;
constexpr double kPhaseShift = 0x1.0p-4;
constexpr double kStep = 0x1.0p-12;
constexpr int kTrials = 3073;

// 200 observations of a sinusoid of 0.5683 d whose amplitude swells and
// fades over 45 d (something for the secondary search to find); the first
// and last dates fixed to make the span exact.
AnalysisState ExactSpanStar() {
  std::vector<double> t = testing::RandomDates(200, kSpan, 17, 2450000);
  t.front() = 2450000;
  t.back() = 2450000 + kSpan;
  std::vector<double> m = testing::Sinusoid(t, 0.5683, 0.4, 12);
  for (size_t i = 0; i < t.size(); ++i)
    m[i] += (m[i] - 12) * 0.25 * std::cos(2 * std::numbers::pi * t[i] / 45);
  return MakeState(t, m);
}

struct GridRun {
  AnalysisState s;
  double lastTrialFreq = 0;
};

struct Method {
  const char* name;
  SearchKind kind;
  int mode;  // secondary period only
};

GridRun SearchExactGrid(const Method& m, int threads) {
  GridRun r{ExactSpanStar()};
  AnalysisState& s = r.s;
  if (m.kind == SearchKind::Secondary) {
    s.Period = 0.5683;
    s.ExtrDate = 2450000.1;
    s.NBins = 4;
    s.SecPMode = m.mode;
  }
  FreqHooks hooks(s, threads);
  Search(s, m.kind, 4, 1, kPhaseShift, hooks);
  EXPECT_EQ(s.FreqStep, kStep);
  // Events come once per trial after its advance, or before it (Deeming,
  // then once more when the grid is found exhausted): either way the last
  // Freq they see is the last trial's.
  EXPECT_EQ(hooks.events, kTrials + (m.kind == SearchKind::Deeming ? 1 : 0));
  r.lastTrialFreq = hooks.lastFreq;
  return r;
}

class HandComputedGrid : public ::testing::TestWithParam<Method> {};

TEST_P(HandComputedGrid, LastTrialAndBestListAreTheSameOnEveryThreadCount) {
  const GridRun one = SearchExactGrid(GetParam(), 1);
  EXPECT_EQ(one.lastTrialFreq, 1.0);
  EXPECT_EQ(one.s.Freq, 1.0 + kStep);
  ASSERT_GT(one.s.BestPeriod[20], 0);
  // Every place of the list is a trial of the grid.
  for (int k = 1; k <= 20; ++k) {
    const double places = (one.s.BestFreq[k] - 0.25) / kStep;
    EXPECT_EQ(places, std::floor(places)) << k;
    EXPECT_GE(places, 0) << k;
    EXPECT_LT(places, kTrials) << k;
  }
  for (int threads : {2, 3, 7}) {
    SCOPED_TRACE(threads);
    const GridRun many = SearchExactGrid(GetParam(), threads);
    EXPECT_EQ(many.lastTrialFreq, one.lastTrialFreq);
    EXPECT_EQ(many.s.Freq, one.s.Freq);
    EXPECT_EQ(many.s.TrialParam, one.s.TrialParam);  // the last trial's statistic
    EXPECT_EQ(many.s.BestFreq, one.s.BestFreq);
    EXPECT_EQ(many.s.BestPeriod, one.s.BestPeriod);
    EXPECT_EQ(many.s.BestParam, one.s.BestParam);
  }
}

INSTANTIATE_TEST_SUITE_P(HandComputed, HandComputedGrid,
                         ::testing::Values(Method{"LaflerKinman", SearchKind::LaflerKinman, 1},
                                           Method{"Deeming", SearchKind::Deeming, 1},
                                           Method{"SecondaryMode1", SearchKind::Secondary, 1},
                                           Method{"SecondaryMode2", SearchKind::Secondary, 2}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace korvel
