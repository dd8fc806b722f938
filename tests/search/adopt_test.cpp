#include "search/adopt.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <numbers>
#include <random>
#include <variant>
#include <vector>

#include "search/search_methods.h"
#include "search/search_pipeline.h"

namespace korvel {
namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;

// 120 observations at random times over 200 days of a light curve shape(phase).
template <class Shape>
struct Star {
  std::vector<double> jd, mag;
  Observations o;
  Star(double period, double noise, Shape shape, unsigned seed = 3) {
    std::mt19937 gen(seed);
    std::uniform_real_distribution<double> when(0, 200);
    std::normal_distribution<double> scatter(0, noise);
    for (int i = 0; i < 120; ++i) jd.push_back(2459000 + when(gen));
    std::sort(jd.begin(), jd.end());
    for (double t : jd) mag.push_back(12 + shape(std::fmod(t / period, 1.0)) + scatter(gen));
    o = ObservationsOf(jd, mag);
  }
};

SearchResult Searched(const Observations& o, SearchKind kind, double pmin, double pmax) {
  SearchRequest request;
  request.method = kind;
  request.pmin = pmin;
  request.pmax = pmax;
  request.phaseShift = 0.05;
  PlainSearchHooks hooks;
  return RunSearch(std::get<PreparedSearch>(PrepareSearch(request, o)), o, hooks);
}

PeakList Peaks(const Observations& o, SearchKind kind, double pmin, double pmax) {
  return {MethodOf(kind).name, ReportPeaks(Searched(o, kind, pmin, pmax), o, 5, {})};
}

const auto kSine = [](double phase) { return 0.3 * std::sin(kTwoPi * phase); };
// Two eclipses a cycle, the secondary half as deep: its spectra peak at P/2.
const auto kEclipses = [](double phase) {
  const double primary = std::exp(-std::pow((phase - 0.25) / 0.04, 2));
  const double secondary = std::exp(-std::pow((phase - 0.75) / 0.04, 2));
  return 0.8 * primary + 0.4 * secondary;
};

TEST(AdoptPeriod, ASinusoidKeepsPWithItsErrorAndAnAnalyticFap) {
  const Star star(0.61, 0.02, kSine);
  const AdoptedPeriod a = AdoptPeriod(
      {Peaks(star.o, SearchKind::LaflerKinman, 0.2, 2), Peaks(star.o, SearchKind::Deeming, 0.2, 2)},
      star.o);
  ASSERT_TRUE(a.ok()) << a.problem;
  EXPECT_FALSE(a.doubled);
  EXPECT_NEAR(a.period, 0.61, 4 * a.error);
  EXPECT_GT(a.error, 0);
  EXPECT_LT(a.fap, 1e-6);
  EXPECT_NE(a.reason.find("so P"), std::string::npos);
}

// The peaks' fits share the threads, each peak's report its own.
TEST(ReportPeaks, AnyThreadCountGivesTheOneThreadReports) {
  const Star star(0.61, 0.05, kSine);
  const SearchResult r = Searched(star.o, SearchKind::Deeming, 0.2, 2);
  const std::vector<PeakReport> one = ReportPeaks(r, star.o, 5, {});
  ErrorOptions three;
  three.threads = 3;
  const std::vector<PeakReport> more = ReportPeaks(r, star.o, 5, three);
  ASSERT_EQ(one.size(), 5u);
  ASSERT_EQ(more.size(), one.size());
  for (size_t k = 0; k < one.size(); ++k) {
    EXPECT_EQ(more[k].peak.frequency, one[k].peak.frequency) << k;
    EXPECT_EQ(more[k].peak.label, one[k].peak.label) << k;
    EXPECT_EQ(more[k].problem, one[k].problem) << k;
    EXPECT_EQ(more[k].harmonics, one[k].harmonics) << k;
    EXPECT_EQ(more[k].periodError, one[k].periodError) << k;
    EXPECT_EQ(more[k].snr, one[k].snr) << k;
  }
}

TEST(AdoptPeriod, UnequalEclipsesDoubleTheHalfPeriodPeak) {
  const Star star(0.8, 0.01, kEclipses);
  // Only half the true period is searched: its peak must be doubled.
  const AdoptedPeriod a = AdoptPeriod({Peaks(star.o, SearchKind::Deeming, 0.3, 0.5)}, star.o);
  ASSERT_TRUE(a.ok()) << a.problem;
  EXPECT_TRUE(a.doubled);
  EXPECT_NEAR(a.period, 0.8, 0.001);
}

TEST(AdoptPeriod, TheModulatedSampleStarKeepsP) {
  // 3324 points of a modulated RR Lyrae star: the halves of a 2P cycle
  // differ consistently enough for an F test (p ~ 1e-5), not enough to make
  // 2P the better curve.
  std::vector<double> jd, mag;
  std::ifstream in(std::string(KORVEL_SAMPLES_DIR) + "/sample_star.dat");
  for (double t, m; in >> t >> m;) {
    jd.push_back(t);
    mag.push_back(m);
  }
  const Observations o = ObservationsOf(jd, mag);
  const AdoptedPeriod a = AdoptPeriod({Peaks(o, SearchKind::Deeming, 0.5, 0.6)}, o);
  ASSERT_TRUE(a.ok()) << a.problem;
  EXPECT_NEAR(a.period, 0.5568, 0.0001) << a.reason;
}

TEST(AdoptPeriod, NoFitNoPeriod) {
  std::vector<double> jd = {1, 2, 3}, mag = {10, 11, 10};
  const Observations o = ObservationsOf(jd, mag);
  PeakReport unfitted;
  unfitted.problem = "Too few observations for a Fourier fit...";
  const AdoptedPeriod a = AdoptPeriod({{"lk", {unfitted}}, {"deeming", {}}}, o);
  EXPECT_FALSE(a.ok());
  EXPECT_FALSE(a.problem.empty());
}

TEST(PeakReports, SignalAndNoiseGetTheirFapAndSnr) {
  const Star signal(0.61, 0.02, kSine);
  const PeakReport strong = Peaks(signal.o, SearchKind::Deeming, 0.2, 2).peaks.at(0);
  EXPECT_LT(strong.fapAnalytic, 1e-6);
  EXPECT_GT(strong.snr, 4);  // Breger's threshold of a real frequency
  const Star noise(0.61, 0.02, [](double) { return 0.0; });
  const PeakReport chance = Peaks(noise.o, SearchKind::Deeming, 0.2, 2).peaks.at(0);
  EXPECT_GT(chance.fapAnalytic, 0.01);
  EXPECT_LE(chance.fapAnalytic, 1);
  EXPECT_LT(chance.snr, 4);
}

TEST(PeakReports, APeakBeyondTheRangeIsLabelledAtItsEdge) {
  const Star star(0.61, 0.02, kSine);
  // 0.61 d lies just beyond 0.6105 .. 0.9 d, within its peak width: the best
  // trial is the last.
  const PeakReport edge = Peaks(star.o, SearchKind::Deeming, 0.6105, 0.9).peaks.at(0);
  EXPECT_NE(edge.peak.label.find("range edge"), std::string::npos) << edge.peak.label;
}

}  // namespace
}  // namespace korvel
