#include "search/deeming.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <numeric>

#include "core/error.h"
#include "core/text_format.h"
#include "search/significance.h"
#include "search_fixtures.h"
#include "support/temp_dir.h"

namespace korvel {
namespace {

using testing::Begin;
using testing::MakeState;
using testing::RandomDates;
using testing::RecordingHooks;
using testing::TempDir;

// a cos(2 pi f0 (t - t1)) around 12 mag, densely and evenly sampled.
AnalysisState DenseCosine(double a, double f0) {
  std::vector<double> t, m;
  for (int i = 0; i < 4000; ++i) {
    t.push_back(1000 + i * 0.2537);
    m.push_back(12 + a * std::cos(2 * std::numbers::pi * f0 * (t.back() - 1000)));
  }
  return MakeState(t, m);
}

// Each trial's amplitude: in a Deeming run BetweenTrials comes before the
// frequency advances, so it sees the previous trial's TrialParam.
std::vector<double> Amplitudes(AnalysisState& s, RecordingHooks& hooks) {
  std::vector<double> a;
  hooks.onBetweenTrials = [&] {
    if (hooks.betweenTrials > 1) a.push_back(s.TrialParam);
  };
  SearchDeeming(s, hooks);
  return a;
}

TEST(SearchDeeming, AmplitudeOfADenseCosineIsNearItsSemiAmplitude) {
  AnalysisState s = DenseCosine(0.3, 0.1);
  Begin(s, SearchKind::Deeming, 1 / 0.0995, 1 / 0.1005, 0.05);
  RecordingHooks hooks;
  SearchDeeming(s, hooks);
  EXPECT_NEAR(s.BestFreq[1], 0.1, s.FreqStep);
  EXPECT_NEAR(s.BestParam[1] / 0.3, 0.98, 0.01);
  for (int k = 2; k <= 20; ++k) EXPECT_GE(s.BestParam[k - 1], s.BestParam[k]);
}

TEST(SearchDeeming, WindowSpectrumIsNearOneWhereEveryPhaseIsNearZero) {
  AnalysisState s = MakeState(RandomDates(200, 1000, 3), std::vector<double>(200, 12.0));
  s.WindowSpec = true;
  Begin(s, SearchKind::Deeming, 1e7, 5e6, 0.001);  // frequencies ~1e-7: phases below 1e-4
  RecordingHooks hooks;
  SearchDeeming(s, hooks);
  EXPECT_NEAR(s.BestParam[1], 1.0, 1e-3);
}

TEST(SearchDeeming, HistogramAccountsForEveryTrialAndTheSummaryReportsThem) {
  const std::vector<double> t = RandomDates(150, 500, 11);
  AnalysisState s = MakeState(t, testing::Sinusoid(t, 3.3, 0.2));
  Begin(s, SearchKind::Deeming, 50, 2, 0.05);
  RecordingHooks hooks;
  const std::vector<double> a = Amplitudes(s, hooks);
  const AmpDistribution& d = s.AmpDist;

  ASSERT_EQ(d.AmpTrials, static_cast<int64_t>(a.size()));
  EXPECT_EQ(std::accumulate(d.AmpHist.begin(), d.AmpHist.end(), int64_t{0}), d.AmpTrials);
  EXPECT_EQ(d.AmpCumPct[d.AmpTopBin], 100);
  EXPECT_GT(d.AmpHist[d.AmpTopBin], 0);
  for (int k = d.AmpTopBin + 1; k <= 100; ++k) EXPECT_EQ(d.AmpHist[k], 0);
  const double largest = *std::max_element(a.begin(), a.end());
  EXPECT_LE(largest, d.AmpScale);
  EXPECT_GE(d.AmpLevel[d.AmpTopBin], largest);
  EXPECT_TRUE(hooks.messages.empty());  // no "Discount in Total Number"

  double squares = 0;
  for (double x : a) squares += x * x;
  const double sigma = std::sqrt(squares / static_cast<double>(a.size()));
  EXPECT_NEAR(d.Sigma, sigma, 1e-12);
  EXPECT_EQ(hooks.LastStatus(),
            "Done... N=" + std::to_string(a.size()) + ";   Sigma=" + Str(sigma, 7, 5));
  EXPECT_EQ(s.RunCode, 'e');
  EXPECT_EQ(hooks.timerCalls, (std::vector<bool>{true, false}));
}

TEST(SearchDeeming, ClearsResumedAtTheEnd) {
  AnalysisState s = DenseCosine(0.3, 0.1);
  Begin(s, SearchKind::Deeming, 20, 5, 0.5);
  s.Resumed = true;
  RecordingHooks hooks;
  SearchDeeming(s, hooks);
  EXPECT_FALSE(s.Resumed);
}

TEST(SearchDeeming, StoppedBeforeItsFirstTrialEndsWithAnEmptyDistribution) {
  AnalysisState s = DenseCosine(0.3, 0.1);
  Begin(s, SearchKind::Deeming, 100, 1, 0.05);
  s.AmpDist.AmpTopBin = 57;  // left by an earlier run
  s.RunCode = 'e';           // Stop reached the run before its first trial
  RecordingHooks hooks;
  SearchDeeming(s, hooks);
  EXPECT_EQ(hooks.betweenTrials, 0);
  EXPECT_EQ(s.AmpDist.AmpTrials, 0);
  EXPECT_EQ(s.AmpDist.AmpTopBin, 0);
  EXPECT_EQ(s.AmpDist.Sigma, 0);
  EXPECT_EQ(hooks.LastStatus(), "Done... N=0;   Sigma=0.00000");
  EXPECT_EQ(s.BestParam[1], 0);
}

// The pipeline refuses equal magnitudes; the engine given them anyway
// computes zero amplitudes without dividing by zero.
TEST(SearchDeeming, AllMagnitudesAtTheMeanGiveZeroAmplitudesWithoutFailing) {
  const AnalysisState s = MakeState(RandomDates(50, 100, 5), std::vector<double>(50, 9.0));
  const Observations o = ObservationsOf(s);
  SearchRequest request;
  request.method = SearchKind::Deeming;
  const PreparedSearch p{request, GridOf(2, 50, 0.05, o.jd.back() - o.jd.front()), 0};
  PlainSearchHooks hooks;
  const SearchResult r = RunSearch(p, o, hooks);
  ASSERT_TRUE(r.amplitudes.has_value());
  EXPECT_GT(r.amplitudes->AmpTrials, 1);
  EXPECT_EQ(r.amplitudes->AmpScale, 0);
  EXPECT_EQ(r.amplitudes->Sigma, 0);
  EXPECT_EQ(r.amplitudes->AmpHist[100], r.amplitudes->AmpTrials);
  EXPECT_EQ(r.display.max, 0);
  EXPECT_EQ(r.best[0].value, 0);
  EXPECT_TRUE(r.completed);
}

TEST(SpectrumFile, LineFormat) {
  EXPECT_EQ(SpectrumLine(0.01, 0.0123), "0.0100000  0.0123");
  EXPECT_EQ(SpectrumLine(12.5, 123.45678), "12.5000000 123.4568");
}

TEST(SpectrumFile, OneLinePerTrialAndASecondRunOverwrites) {
  TempDir dir;
  AnalysisState s = DenseCosine(0.3, 0.1);
  s.SpecToFile = true;
  RecordingHooks hooks;
  hooks.fileName = dir.File("spectrum.dat");
  Begin(s, SearchKind::Deeming, 12, 8, 0.5);
  const std::vector<double> a = Amplitudes(s, hooks);
  EXPECT_EQ(s.SpecFileName, hooks.fileName);
  const std::string first = testing::ReadFile(hooks.fileName);
  ASSERT_EQ(first.size(), a.size() * 19);  // 9 + 1 + 7 characters, CR LF
  EXPECT_EQ(first.substr(0, 19), SpectrumLine(1.0 / 12, a[0]) + "\r\n");

  Begin(s, SearchKind::Deeming, 12, 11, 0.5);
  RecordingHooks again;
  again.fileName = hooks.fileName;
  SearchDeeming(s, again);
  const std::string second = testing::ReadFile(hooks.fileName);
  EXPECT_LT(second.size(), first.size());
  EXPECT_EQ(second.size() % 19, 0u);
}

TEST(SpectrumFile, AFileThatCannotBeCreatedEndsTheRunBeforeItsFirstTrial) {
  TempDir dir;
  AnalysisState s = DenseCosine(0.3, 0.1);
  s.SpecToFile = true;
  Begin(s, SearchKind::Deeming, 12, 8, 0.5);
  RecordingHooks hooks;
  hooks.fileName = dir.File("no/such/dir/spectrum.dat");
  try {
    SearchDeeming(s, hooks);
    FAIL() << "no error raised";
  } catch (const KorvelError& e) {
    EXPECT_EQ(std::string(e.what()), "I/O error 3");
  }
  EXPECT_EQ(s.RunCode, 'e');
  EXPECT_EQ(hooks.betweenTrials, 0);
  EXPECT_FALSE(hooks.timerOn);
}

TEST(SpectrumFile, AFailedWriteEndsTheRunCleanlyAndRaisesTheError) {
  AnalysisState s = DenseCosine(0.3, 0.1);
  s.SpecToFile = true;
  Begin(s, SearchKind::Deeming, 100, 1, 0.05);  // enough lines to overflow the buffer
  RecordingHooks hooks;
  hooks.fileName = "/dev/full";
  EXPECT_THROW(SearchDeeming(s, hooks), KorvelError);
  EXPECT_EQ(s.RunCode, 'e');
  EXPECT_FALSE(hooks.timerOn);
  EXPECT_EQ(hooks.timerCalls.back(), false);
  EXPECT_EQ(hooks.LastStatus().rfind("Done... N=", 0), 0u);
  EXPECT_LT(s.Freq, s.FreqEnd);  // abandoned early
}

}  // namespace
}  // namespace korvel
