#include "search/significance.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "search_fixtures.h"

namespace korvel {
namespace {

TEST(AmpHistogram, AnAmplitudeEqualToTheScaleIsBin100AndOneAboveDoublesIt) {
  AmpDistribution d;
  ResetAmpDistribution(d);
  double q = 0;
  CountAmplitude(d, 1.0, q);
  EXPECT_EQ(d.AmpScale, 1.0);
  EXPECT_EQ(d.AmpHist[100], 1);
  CountAmplitude(d, 1.0, q);
  EXPECT_EQ(d.AmpScale, 1.0);
  EXPECT_EQ(d.AmpHist[100], 2);
  CountAmplitude(d, 0.985, q);
  EXPECT_EQ(d.AmpHist[98], 1);
  CountAmplitude(d, 1.0000001, q);
  EXPECT_EQ(d.AmpScale, 2.0);
  EXPECT_EQ(d.AmpHist[100], 0);
  EXPECT_EQ(d.AmpHist[50], 3);  // the two at the old scale, and the new one
  EXPECT_EQ(d.AmpHist[49], 1);  // bin 98 merged with 99
  CountAmplitude(d, 7.0, q);    // doubles twice: scale 8
  EXPECT_EQ(d.AmpScale, 8.0);
  EXPECT_EQ(d.AmpHist[87], 1);
  EXPECT_EQ(d.AmpHist[12], 4);  // bins 49 and 50 of scale 2 land at 12 of scale 8
  EXPECT_EQ(d.AmpTrials, 5);
  EXPECT_DOUBLE_EQ(q, 1 + 1 + 0.985 * 0.985 + 1.0000001 * 1.0000001 + 49);
}

TEST(AmpHistogram, ZeroAmplitudesMoveToTheLowestBinOnceAScaleArrives) {
  AmpDistribution d;
  ResetAmpDistribution(d);
  double q = 0;
  CountAmplitude(d, 0, q);
  CountAmplitude(d, 0, q);
  EXPECT_EQ(d.AmpScale, 0);
  EXPECT_EQ(d.AmpHist[100], 2);
  CountAmplitude(d, 0.5, q);
  EXPECT_EQ(d.AmpScale, 0.5);
  EXPECT_EQ(d.AmpHist[0], 2);
  EXPECT_EQ(d.AmpHist[100], 1);
  EXPECT_FALSE(FinishAmpDistribution(d, q).has_value());
  EXPECT_EQ(d.AmpTopBin, 100);
  EXPECT_NEAR(d.AmpCumPct[0], 200.0 / 3, 1e-12);
  EXPECT_EQ(d.AmpLevel[0], 0.005);
}

TEST(AmpHistogram, ALostTrialIsReported) {
  AmpDistribution d;
  ResetAmpDistribution(d);
  double q = 0;
  CountAmplitude(d, 1.0, q);
  CountAmplitude(d, 0.5, q);
  d.AmpHist[50] = 0;
  EXPECT_EQ(FinishAmpDistribution(d, q), "Discount in Total Number: 2 Sum:1");
}

TEST(AmpHistogram, AnAmplitudeThatIsNotFiniteIsCountedWithoutRescaling) {
  AmpDistribution d;
  ResetAmpDistribution(d);
  double q = 0;
  CountAmplitude(d, 1.0, q);
  CountAmplitude(d, std::numeric_limits<double>::infinity(), q);
  CountAmplitude(d, std::nan(""), q);
  EXPECT_EQ(d.AmpScale, 1.0);
  EXPECT_EQ(d.AmpHist[100], 3);
  EXPECT_EQ(d.AmpTrials, 3);
  EXPECT_EQ(q, 1.0);
  EXPECT_FALSE(FinishAmpDistribution(d, q).has_value());
}

TEST(SigLevels, InterpolateBetweenClassEdges) {
  AnalysisState s = testing::ThreeAmplitudeClasses();
  s.SigLevel = SignificanceLevels(s.AmpDist);
  EXPECT_DOUBLE_EQ(s.SigLevel[1], 2.5);
  EXPECT_DOUBLE_EQ(s.SigLevel[2], 2.95);
  EXPECT_DOUBLE_EQ(s.SigLevel[3], 2.995);
  EXPECT_DOUBLE_EQ(s.SigLevel[4], 2.9995);
}

TEST(SigLevels, WithNoClassBelowTheLevelTakeTheLowestClassAmplitude) {
  AnalysisState s = testing::ThreeAmplitudeClasses();
  s.AmpDist.AmpCumPct[0] = 99.95;
  s.AmpDist.AmpCumPct[1] = 99.97;
  s.SigLevel = SignificanceLevels(s.AmpDist);
  EXPECT_EQ(s.SigLevel[1], 1);
  EXPECT_EQ(s.SigLevel[3], 1);
  EXPECT_GT(s.SigLevel[4], 2);  // 99.99 lies between classes 1 and 2

  AnalysisState single;
  single.AmpDist.AmpTrials = 3;
  single.AmpDist.AmpLevel[0] = 0.7;
  single.AmpDist.AmpCumPct[0] = 100;
  single.SigLevel = SignificanceLevels(single.AmpDist);
  for (int j = 1; j <= 4; ++j) EXPECT_EQ(single.SigLevel[j], 0.7);
}

TEST(SigLevels, PercentagesAreTheFourLevelsOfTheStatFile) {
  EXPECT_DOUBLE_EQ(SigPercentage(1), 90);
  EXPECT_DOUBLE_EQ(SigPercentage(2), 99);
  EXPECT_DOUBLE_EQ(SigPercentage(3), 99.9);
  EXPECT_DOUBLE_EQ(SigPercentage(4), 99.99);
}

}  // namespace
}  // namespace korvel
