#include "lightcurve/prewhitening.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "lightcurve/document_light_curve.h"
#include "lightcurve/mean_curve_file.h"
#include "support/temp_dir.h"

namespace korvel {
namespace {

using testing::ReadFile;
using testing::TempDir;

// Observations at the given phases of period 1 and epoch 0, all magnitude 20,
// and the mean curve M = 2 at phases 0.25 / 0.75 with magnitudes 10 / 11.
AnalysisState TwoPointCase(std::vector<double> phases) {
  AnalysisState s;
  s.NObs = static_cast<int32_t>(phases.size());
  s.JD.assign(s.NObs + 1, 0);
  s.Mag.assign(s.NObs + 1, 0);
  s.Phase.assign(s.NObs + 1, 0);
  for (int32_t i = 1; i <= s.NObs; ++i) {
    s.JD[i] = 1000 + phases[i - 1];
    s.Mag[i] = 20;
  }
  s.Period = 1;
  s.Epoch = 0;
  s.MeanPoints = 2;
  s.MeanPhase[1] = 0.25;
  s.MeanMag[1] = 10;
  s.MeanPhase[2] = 0.75;
  s.MeanMag[2] = 11;
  s.EditedMag = s.MeanMag;
  s.View = 'm';
  s.RunCode = 'e';
  return s;
}

TEST(Prewhitening, SubtractsTheInterpolatedMeanCurve) {
  AnalysisState s = TwoPointCase({0.5, 0.0, 0.9, 0.75, 0.25, 0.1});
  Prewhiten(s, "", true);
  EXPECT_NEAR(s.Mag[1], 20 - 10.5, 1e-9);
  EXPECT_NEAR(s.Mag[2], 20 - 10.5, 1e-9);  // 0.0 wraps to 1.0
  EXPECT_NEAR(s.Mag[3], 20 - 10.7, 1e-9);
  EXPECT_EQ(s.Mag[4], 20 - 11.0);  // exactly at the last mean phase
  EXPECT_NEAR(s.Mag[5], 20 - 10.0, 1e-9);
  EXPECT_NEAR(s.Mag[6], 20 - 10.3, 1e-9);  // 0.1 -> 1.1: 0.35 / 0.5 of the way back
  // The phases below the first mean phase keep their raised value.
  EXPECT_NEAR(s.Phase[2], 1.0, 1e-9);
  EXPECT_NEAR(s.Phase[6], 1.1, 1e-9);
  EXPECT_NEAR(s.Phase[1], 0.5, 1e-9);
  EXPECT_EQ(s.View, 'd');
  EXPECT_EQ(s.DataReady, 'y');
  EXPECT_EQ(s.RunCode, 'n');
}

TEST(Prewhitening, SubtractsTheCurveAsAdjustedByHand) {
  // The first point dragged from 10 to 9: phase 0.5 lies halfway to 11.
  AnalysisState s = TwoPointCase({0.25, 0.5, 0.75});
  s.EditedMag[1] = 9;
  Prewhiten(s, "", true);
  EXPECT_NEAR(s.Mag[1], 20 - 9.0, 1e-9);
  EXPECT_NEAR(s.Mag[2], 20 - 10.0, 1e-9);
  EXPECT_EQ(s.Mag[3], 20 - 11.0);
}

TEST(Prewhitening, RecomputesTheStatisticsOfTheResiduals) {
  AnalysisState s = TwoPointCase({0.25, 0.75, 0.5});
  s.Mag[1] = 12;  // residual 2
  s.Mag[2] = 10;  // residual -1
  s.Mag[3] = 11;  // residual 0.5
  Prewhiten(s, "", true);
  EXPECT_DOUBLE_EQ(s.MagHigh, 2);
  EXPECT_DOUBLE_EQ(s.MagLow, -1);
  EXPECT_DOUBLE_EQ(s.DataMagMax, 2);
  EXPECT_DOUBLE_EQ(s.DataMagMin, -1);
  EXPECT_NEAR(s.MagMean, 0.5, 1e-12);
  EXPECT_NEAR(s.MagVar, (2.25 + 2.25 + 0) / 3, 1e-12);
}

TEST(Prewhitening, OnePointAndAZeroGapSubtractOneMagnitude) {
  AnalysisState s = TwoPointCase({0.1, 0.6, 0.99});
  s.MeanPoints = 1;
  s.MeanPhase[1] = 0.4;
  s.MeanMag[1] = s.EditedMag[1] = 7;
  Prewhiten(s, "", true);
  for (int i = 1; i <= 3; ++i) EXPECT_DOUBLE_EQ(s.Mag[i], 13) << i;

  // First mean phase 0, last 1: nothing lies across, the last magnitude is used.
  AnalysisState g = TwoPointCase({0.0, 0.5});
  g.MeanPhase[1] = 0;
  g.MeanPhase[2] = 1;
  Prewhiten(g, "", true);
  EXPECT_DOUBLE_EQ(g.Mag[1], 20 - 10);
  EXPECT_DOUBLE_EQ(g.Mag[2], 20 - 10.5);
  for (int i = 1; i <= 2; ++i) EXPECT_TRUE(std::isfinite(g.Mag[i]));
}

TEST(Prewhitening, RefusesWhatItCannotSubtract) {
  AnalysisState s = TwoPointCase({0.5});
  EXPECT_FALSE(PrewhitenProblem(s));
  s.MeanPoints = 0;
  EXPECT_EQ(PrewhitenProblem(s), kNoMeanCurve);
  s.MeanPoints = 100;
  EXPECT_EQ(PrewhitenProblem(s), kNoMeanCurve);
  s.MeanPoints = 2;
  s.Period = 0;
  EXPECT_EQ(PrewhitenProblem(s), kNoPeriod);
  AnalysisState empty = TwoPointCase({});
  EXPECT_TRUE(PrewhitenProblem(empty));
}

TEST(Prewhitening, RecordsTheCurveInTheCollectingFileFirst) {
  TempDir dir;
  AnalysisState s = TwoPointCase({0.5});
  const std::string path = dir.File("c.sup");
  Prewhiten(s, path, true);
  AnalysisState again = TwoPointCase({0.5});
  again.CurveNumber = 2;
  Prewhiten(again, path, true);
  AnalysisState r;
  ReadMeanCurveFile(r, path);
  ASSERT_EQ(r.MLCCurves, 2);
  EXPECT_EQ(r.MLCCount[2], 2);
  EXPECT_DOUBLE_EQ(r.MLCMag[2][2], 11);

  // An unwritable collecting file stops before any magnitude changes.
  AnalysisState bad = TwoPointCase({0.5});
  EXPECT_ANY_THROW(Prewhiten(bad, dir.File("missing/c.sup"), true));
  EXPECT_EQ(bad.Mag[1], 20);
  EXPECT_EQ(bad.View, 'm');
}

// Residuals that cannot be written once the curve is in the collecting file
// take the curve back out, whether it was appended or replaced the file.
TEST(Prewhitening, AFailedResidualFileLeavesTheCollectingFileAsItWas) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  TempDir dir;
  const std::string collect = dir.Write("c.sup", "earlier curves\r\n");
  const std::string full = dir.File("full.o");
  std::filesystem::create_symlink("/dev/full", full);
  for (const bool append : {true, false}) {
    AnalysisState s = TwoPointCase({0.5});
    EXPECT_THROW(PrewhitenWithFiles(s, collect, append, full), FileError);
    EXPECT_EQ(ReadFile(collect), "earlier curves\r\n") << append;
    EXPECT_EQ(s.Mag[1], 20);
  }
  AnalysisState s = TwoPointCase({0.5});
  EXPECT_THROW(PrewhitenWithFiles(s, dir.File("new.sup"), true, full), FileError);
  EXPECT_FALSE(std::filesystem::exists(dir.File("new.sup")));
}

// Residuals of dates on the ephemeris are the magnitudes prewhitening leaves
// in the document; a curve without points subtracts nothing.
TEST(Prewhitening, ResidualsOnValuesAreTheDocumentsResiduals) {
  AnalysisState s = TwoPointCase({0.5, 0.0, 0.9, 0.75, 0.25, 0.1, 0.6});
  const std::vector<double> mags(s.Mag.begin() + 1, s.Mag.end());
  const double curvePhases[] = {0.25, 0.75}, curveMags[] = {10, 11};
  const std::vector<double> residuals =
      Residuals(DatesOf(s), mags, Ephemeris{1, 0}, PeriodicCurve{curvePhases, curveMags});
  Prewhiten(s, "", true);
  ASSERT_EQ(residuals.size(), 7u);
  for (size_t i = 0; i < residuals.size(); ++i) EXPECT_EQ(residuals[i], s.Mag[i + 1]) << i;

  EXPECT_EQ(Residuals(std::vector<double>{0.3}, std::vector<double>{12.5}, PeriodicCurve{}),
            std::vector<double>{12.5});
}

}  // namespace
}  // namespace korvel
