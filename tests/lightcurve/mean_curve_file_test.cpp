#include "lightcurve/mean_curve_file.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "core/error.h"
#include "lightcurve/document_light_curve.h"
#include "support/temp_dir.h"

namespace korvel {
namespace {

using testing::ReadFile;
using testing::TempDir;

// A mean curve of the given phases and magnitudes, as Wave leaves it.
AnalysisState Curve(std::vector<std::pair<double, double>> points) {
  AnalysisState s;
  s.MeanPoints = static_cast<int32_t>(points.size());
  for (int32_t k = 1; k <= s.MeanPoints; ++k) {
    s.MeanPhase[k] = points[k - 1].first;
    s.MeanMag[k] = points[k - 1].second;
    s.EditedMag[k] = points[k - 1].second;
    s.MeanMagErr[k] = 0.0123;
    s.MeanCount[k] = 17;
  }
  s.Period = 0.5567809;
  s.Epoch = 59000.59;
  s.CurveNumber = 1;
  s.WaveState = 'd';
  return s;
}

TEST(CollectingFile, HeaderAndPointLinesKeepTheirWidthsAndCrLf) {
  TempDir dir;
  AnalysisState s = Curve({{0.0125, 12.34567}, {0.5, 11.5}});
  const std::string path = dir.File("c.sup");
  WriteCollectingFile(s, path, true);
  EXPECT_EQ(ReadFile(path),
            " 1  2     0.55678090 59000.5900 disturbed\r\n"
            "0.013 12.3457 0.0123    17\r\n"
            "0.500 11.5000 0.0123    17\r\n");

  // A hand-adjusted curve writes EditedMag alone, labelled smoothed.
  s.WaveState = 'f';
  s.EditedMag[2] = 11.25;
  WriteCollectingFile(s, path, false);
  EXPECT_EQ(ReadFile(path),
            " 1  2     0.55678090 59000.5900 smoothed\r\n"
            "0.013 12.3457\r\n"
            "0.500 11.2500\r\n");
}

TEST(CollectingFile, AValueFillingItsWidthStillHasABlankBeforeIt) {
  TempDir dir;
  AnalysisState s = Curve({{0.5, 11}});
  s.CurveNumber = 100;
  s.Epoch = 2450000.5;  // seven integer digits: 12 characters in width 11
  s.Period = 1234567.123;
  const std::string path = dir.File("c.sup");
  WriteCollectingFile(s, path, false);
  const std::string text = ReadFile(path);
  EXPECT_EQ(text.substr(0, text.find('\r')), "100  1 1234567.12300000 2450000.5000 disturbed");
  // And it reads back field by field.
  ReadMeanCurveFile(s, path);
  ASSERT_EQ(s.MLCCurves, 1);
  EXPECT_DOUBLE_EQ(s.MLCPeriod[1], 1234567.123);
  EXPECT_DOUBLE_EQ(s.MLCEpoch[1], 2450000.5);
}

TEST(CollectingFile, AppendsOnlyWhenAskedAndTheFileExists) {
  TempDir dir;
  AnalysisState s = Curve({{0.5, 11}});
  const std::string path = dir.File("c.sup");
  WriteCollectingFile(s, path, true);  // does not exist yet: created
  s.CurveNumber = 2;
  WriteCollectingFile(s, path, true);
  ReadMeanCurveFile(s, path);
  EXPECT_EQ(s.MLCCurves, 2);
  WriteCollectingFile(s, path, false);  // overwritten
  ReadMeanCurveFile(s, path);
  EXPECT_EQ(s.MLCCurves, 1);

  EXPECT_THROW(WriteCollectingFile(s, dir.File("no/such/dir/c.sup"), true), KorvelError);
}

TEST(MeanCurveFile, ReadsFortyPointCurvesAndMoreThanTwentyCurves) {
  TempDir dir;
  std::vector<std::pair<double, double>> points;
  for (int k = 0; k < 40; ++k) points.push_back({k / 40.0, 10 + k * 0.01});
  AnalysisState s = Curve(points);
  const std::string path = dir.File("c.sup");
  for (int c = 1; c <= 25; ++c) {
    s.CurveNumber = c;
    s.Period = c;
    WriteCollectingFile(s, path, true);
  }
  AnalysisState r;
  ReadMeanCurveFile(r, path);
  ASSERT_EQ(r.MLCCurves, 25);
  EXPECT_TRUE(r.MLCLoaded);
  for (int c = 1; c <= 25; ++c) {
    ASSERT_EQ(r.MLCCount[c], 40);
    EXPECT_DOUBLE_EQ(r.MLCPeriod[c], c);
    EXPECT_DOUBLE_EQ(r.MLCEpoch[c], 59000.59);
    EXPECT_DOUBLE_EQ(r.MLCPhase[c][40], 0.975);
    EXPECT_DOUBLE_EQ(r.MLCMag[c][40], 10.39);
  }
}

TEST(MeanCurveFile, ReadsHandWrittenFilesAndSurvivesBadOnes) {
  TempDir dir;
  AnalysisState s;
  // Other spacing than the writer's, trailing blank lines, no final line end.
  ReadMeanCurveFile(s, dir.Write("a.sup", "1 2 0.5 0 anything\n 0.25  10 0.1 3\n0.75 11\n\n\n"));
  ASSERT_EQ(s.MLCCurves, 1);
  EXPECT_EQ(s.MLCCount[1], 2);
  EXPECT_DOUBLE_EQ(s.MLCMag[1][2], 11);

  // A file ending before the announced points keeps the points it has.
  ReadMeanCurveFile(s, dir.Write("b.sup", "1 30 0.5 0 disturbed\r\n0.1 10\r\n0.2 11\r\n"));
  ASSERT_EQ(s.MLCCurves, 1);
  EXPECT_EQ(s.MLCCount[1], 2);

  // A malformed number leaves the table and MLCLoaded as they were.
  s.MLCLoaded = false;
  EXPECT_THROW(ReadMeanCurveFile(s, dir.Write("c.sup", "1 2 0.5 0 x\r\n0.1 1O\r\n0.2 11\r\n")),
               KorvelError);
  EXPECT_FALSE(s.MLCLoaded);
  EXPECT_EQ(s.MLCCount[1], 2);
  EXPECT_DOUBLE_EQ(s.MLCPhase[1][2], 0.2);
}

// One curve of 12 points at period 0.5 and initial date 0.
AnalysisState TwelvePoints() {
  AnalysisState s;
  s.MLCCurves = 1;
  s.MLCCount = {0, 12};
  s.MLCPeriod = {0, 0.5};
  s.MLCEpoch = {0, 0};
  s.MLCPhase = {{}, {0}};
  s.MLCMag = {{}, {0}};
  for (int j = 1; j <= 12; ++j) {
    s.MLCPhase[1].push_back(0.04 + (j - 1) / 12.0);
    s.MLCMag[1].push_back(10 + (j % 5) * 0.3);
  }
  return s;
}

TEST(Model, ReproducesStoredPointsAndInterpolatesAcrossPhaseOne) {
  const AnalysisState s = TwelvePoints();
  const auto& ph = s.MLCPhase[1];
  const auto& m = s.MLCMag[1];
  for (int j = 1; j <= 12; ++j) {
    EXPECT_NEAR(ModelValue(s, ph[j] * 0.5), m[j], 1e-12) << j;
    EXPECT_NEAR(ModelValue(s, 100 + ph[j] * 0.5), m[j], 1e-9) << j;  // 200 periods later
  }
  // Half way between points 3 and 4.
  EXPECT_NEAR(ModelValue(s, 0.5 * (ph[3] + ph[4]) / 2), (m[3] + m[4]) / 2, 1e-12);
  // Across 1/0: the gap from the last point (0.9567) to the first (1.04) is
  // 1/12; a quarter of the way lies at phase 0.9775, three quarters at 0.0192.
  const double gap = 1 + ph[1] - ph[12];
  EXPECT_NEAR(ModelValue(s, 0.5 * (ph[12] + gap / 4)), m[12] + (m[1] - m[12]) / 4, 1e-12);
  EXPECT_NEAR(ModelValue(s, 0.5 * (ph[1] - gap / 4)), m[12] + (m[1] - m[12]) * 3 / 4, 1e-12);
}

TEST(Model, SumsTheCurvesAndSkipsEmptyOnes) {
  AnalysisState s = TwelvePoints();
  // A single point contributes a constant.
  s.MLCCurves = 3;
  s.MLCCount.push_back(1);
  s.MLCPeriod.push_back(3.7);
  s.MLCEpoch.push_back(5);
  s.MLCPhase.push_back({0, 0.3});
  s.MLCMag.push_back({0, -0.25});
  // A curve without points (or period) adds nothing.
  s.MLCCount.push_back(0);
  s.MLCPeriod.push_back(0);
  s.MLCEpoch.push_back(0);
  s.MLCPhase.push_back({0});
  s.MLCMag.push_back({0});
  const AnalysisState one = TwelvePoints();
  for (double t : {0.0, 0.13, 1.77, 59000.25})
    EXPECT_NEAR(ModelValue(s, t), ModelValue(one, t) - 0.25, 1e-12) << t;
}

TEST(PeriodicValue, AZeroWrapGapGivesTheLastMagnitude) {
  const double ph[] = {0, 0.5, 1};
  const double m[] = {10, 11, 12};
  const PeriodicCurve c{ph, m};
  EXPECT_DOUBLE_EQ(PeriodicValue(c, 1.0), 12);
  EXPECT_DOUBLE_EQ(PeriodicValue(c, 0.25), 10.5);
  EXPECT_DOUBLE_EQ(WrapValue(c, 0.0), 12);
}

}  // namespace
}  // namespace korvel
