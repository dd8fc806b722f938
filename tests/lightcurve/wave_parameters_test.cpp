#include "lightcurve/wave_parameters.h"

#include <gtest/gtest.h>

#include "lightcurve/document_light_curve.h"

namespace korvel {
namespace {

TEST(LightCurveElements, ModeOneTakesPeriodAndEpochOnly) {
  AnalysisState s;
  s.NBins = 5;
  LightCurveElements e;
  e.period = 0.5;
  e.epoch = 59000;
  e.bins = 1;  // not a field of mode 1
  EXPECT_FALSE(ApplyLightCurveElements(s, 1, e).has_value());
  EXPECT_EQ(s.Period, 0.5);
  EXPECT_EQ(s.NBins, 5);
  const auto refusal = ApplyLightCurveElements(s, 2, e);
  ASSERT_TRUE(refusal.has_value());
  EXPECT_EQ(refusal->message, "Error in P2...");
  EXPECT_EQ(refusal->field, kLcP2Field);
  e.p2 = 40;
  EXPECT_EQ(ApplyLightCurveElements(s, 2, e)->field, kLcBinsField);
  e.extremumDate = std::nullopt;
  EXPECT_EQ(ApplyLightCurveElements(s, 2, e)->message, "Error in JD extremal amplitude...");
}

TEST(WaveParameters, LimitsOfPointsBinLengthAndFileNames) {
  struct Case {
    std::optional<int32_t> points;
    std::optional<double> binLength;
    const char* collect;
    const char* residual;
    const char* message;  // nullptr: accepted
    int field;
  };
  const Case cases[] = {
      {40, 0.05, "c.sup", "r.o", nullptr, 0},
      {2, 0.25, "c.sup", "r.o", nullptr, 0},
      {1, 0.05, "c.sup", "r.o", "Error in Number...", kWavePointsField},
      {100, 0.05, "c.sup", "r.o", "Error in Number...", kWavePointsField},
      {std::nullopt, 0.05, "c.sup", "r.o", "Error in Number...", kWavePointsField},
      {40, 0.2500001, "c.sup", "r.o", "Error in Interval extention...", kWaveBinLengthField},
      {40, 0, "c.sup", "r.o", "Error in Interval extention...", kWaveBinLengthField},
      {40, 0.05, "", "r.o", "Select File Name...", kWaveCollectField},
      {40, 0.05, "c.sup", "", "Select File Name...", kWaveResidualField},
  };
  for (const Case& c : cases) {
    AnalysisState s;
    WaveParameters p;
    p.curveNumber = 3;
    p.points = c.points;
    p.binLength = c.binLength;
    p.collectFile = c.collect;
    p.residualFile = c.residual;
    const auto refusal = ApplyWaveParameters(s, p);
    EXPECT_EQ(s.CurveNumber, 3);
    if (!c.message) {
      EXPECT_FALSE(refusal.has_value());
      EXPECT_EQ(s.CollectFileName, "c.sup");
      continue;
    }
    ASSERT_TRUE(refusal.has_value()) << c.message;
    EXPECT_EQ(refusal->message, c.message);
    EXPECT_EQ(refusal->field, c.field);
  }
  // The mean curve's own fields do not ask for file names.
  AnalysisState s;
  EXPECT_FALSE(ApplyMeanCurveParameters(s, WaveParameters{}).has_value());
  EXPECT_EQ(s.MeanPoints, 40);
  EXPECT_EQ(s.BinLength, 0.05);
}

}  // namespace
}  // namespace korvel
