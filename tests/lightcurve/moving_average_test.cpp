#include "lightcurve/moving_average.h"

#include <gtest/gtest.h>

#include <cmath>

#include "lightcurve/document_light_curve.h"

namespace korvel {
namespace {

AnalysisState Phases(std::vector<std::pair<double, double>> phaseMag, int32_t n, double length) {
  AnalysisState s;
  s.NObs = static_cast<int32_t>(phaseMag.size());
  s.Phase.assign(s.NObs + 1, 0);
  s.Mag.assign(s.NObs + 1, 0);
  for (int32_t i = 1; i <= s.NObs; ++i) {
    s.Phase[i] = phaseMag[i - 1].first;
    s.Mag[i] = phaseMag[i - 1].second;
  }
  s.MeanPoints = n;
  s.BinLength = length;
  return s;
}

TEST(MovingAverage, TheFirstWindowTakesPhasesNearOneAsNegative) {
  // N = 40, L = 0.05: centres 0, 0.025, .. 0.975; the window at 0 holds the
  // phases below 0.025 and above 0.975, the latter entering as negative.
  AnalysisState s = Phases({{0.99, 10}, {0.01, 12}, {0.5, 11}}, 40, 0.05);
  ComputeMeanCurve(s);
  // Kept: centre 0 (both ends), 0.025 (0.01), 0.5 and 0.975 (0.99).
  ASSERT_EQ(s.MeanPoints, 4);
  EXPECT_DOUBLE_EQ(s.MeanCount[1], 2);
  EXPECT_NEAR(s.MeanPhase[1], 0.0, 1e-15);  // (-0.01 + 0.01) / 2
  EXPECT_DOUBLE_EQ(s.MeanMag[1], 11);
  // Errors: sqrt(sum / (n - 1)) / sqrt(n).
  EXPECT_NEAR(s.MeanMagErr[1], std::sqrt(2.0) / std::sqrt(2.0), 1e-12);
  EXPECT_NEAR(s.MeanPhaseErr[1], std::sqrt(0.0002) / std::sqrt(2.0), 1e-12);
  EXPECT_DOUBLE_EQ(s.MeanPhase[2], 0.01);
  EXPECT_DOUBLE_EQ(s.MeanPhase[3], 0.5);
  EXPECT_DOUBLE_EQ(s.MeanPhase[4], 0.99);
  // A window holding one observation has both errors 0.
  EXPECT_EQ(s.MeanMagErr[3], 0);
  EXPECT_EQ(s.MeanPhaseErr[3], 0);
  EXPECT_EQ(s.EditedMag[4], s.MeanMag[4]);
  EXPECT_DOUBLE_EQ(s.MeanMagHigh, 12);
  EXPECT_DOUBLE_EQ(s.MeanMagLow, 10);
}

TEST(MovingAverage, ANegativeMeanPhaseIsClippedToZero) {
  AnalysisState s = Phases({{0.98, 10}, {0.01, 12}}, 40, 0.05);
  ComputeMeanCurve(s);
  ASSERT_GE(s.MeanPoints, 2);
  EXPECT_EQ(s.MeanPhase[1], 0);  // (-0.02 + 0.01) / 2 < 0
  EXPECT_DOUBLE_EQ(s.MeanMag[1], 11);
  EXPECT_DOUBLE_EQ(s.MeanPhase[2], 0.01);
}

TEST(MovingAverage, AWindowAcrossPhaseOneTakesSmallPhasesAsAboveOne) {
  // N = 20, L = 0.12: the window of centre 0.95 reaches 1.01.
  AnalysisState s = Phases({{0.96, 10}, {0.005, 12}}, 20, 0.12);
  ComputeMeanCurve(s);
  const int32_t last = s.MeanPoints;
  ASSERT_GE(last, 1);
  EXPECT_DOUBLE_EQ(s.MeanCount[last], 2);
  EXPECT_DOUBLE_EQ(s.MeanPhase[last], (0.96 + 1.005) / 2);
  EXPECT_DOUBLE_EQ(s.MeanMag[last], 11);
}

TEST(MovingAverage, EmptyWindowsAndRepeatedPhasesAreRemoved) {
  // Two neighbouring windows hold the same single observation: equal mean
  // phases, so the first of the two goes.
  AnalysisState s = Phases({{0.3, 11}}, 10, 0.25);
  ComputeMeanCurve(s);
  EXPECT_EQ(s.MeanPoints, 1);
  EXPECT_DOUBLE_EQ(s.MeanPhase[1], 0.3);

  // No window holds an observation: no point, the range at its start values.
  AnalysisState none = Phases({}, 40, 0.05);
  ComputeMeanCurve(none);
  EXPECT_EQ(none.MeanPoints, 0);
  EXPECT_EQ(none.MeanMagHigh, -1000000);
  EXPECT_EQ(none.MeanMagLow, 1000000);
}

// The window's Wave (phases of the last paint, then the document's curve)
// and the value function on dates give the same curve to the last bit.
TEST(MovingAverage, TheValueFunctionGivesTheDocumentsCurve) {
  AnalysisState s;
  s.NObs = 500;
  s.JD.assign(s.NObs + 1, 0);
  s.Mag.assign(s.NObs + 1, 0);
  s.Phase.assign(s.NObs + 1, 0);
  for (int32_t i = 1; i <= s.NObs; ++i) {
    s.JD[i] = 59000 + 0.173 * i * i / 50;
    s.Mag[i] = 12 + 0.4 * std::sin(s.JD[i] * 11.3) + 0.01 * (i % 7);
  }
  s.Period = 0.5568;
  s.Epoch = 59000.1;
  s.MeanPoints = 40;
  s.BinLength = 0.05;
  ComputePhases(s);
  ComputeMeanCurve(s);

  const MeanCurve c = MovingAverage(DatesOf(s), MagsOf(s), Ephemeris{0.5568, 59000.1},
                                    MeanCurveParameters{40, 0.05});
  const MeanCurve d = MeanCurveOf(s);
  ASSERT_GT(c.size(), 30u);
  EXPECT_EQ(c.count, d.count);
  EXPECT_EQ(c.phase, d.phase);
  EXPECT_EQ(c.mag, d.mag);
  EXPECT_EQ(c.phaseErr, d.phaseErr);
  EXPECT_EQ(c.magErr, d.magErr);
  EXPECT_EQ(c.magHigh, d.magHigh);
  EXPECT_EQ(c.magLow, d.magLow);
}

}  // namespace
}  // namespace korvel
