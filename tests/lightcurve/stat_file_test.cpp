#include "lightcurve/stat_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "../search/search_fixtures.h"
#include "core/error.h"
#include "lightcurve/document_light_curve.h"
#include "search/deeming.h"
#include "support/temp_dir.h"

namespace korvel {
namespace {

using testing::ReadFile;
using testing::TempDir;

TEST(WriteStatistics, WritesLevelsMarkerLineAndClasses) {
  TempDir dir;
  AnalysisState s = testing::ThreeAmplitudeClasses();
  const StatSaveResult r = WriteStatistics(s, dir.File("stat.dat"));
  EXPECT_TRUE(r.written);
  EXPECT_EQ(r.text, "File stat.dat is done...");
  EXPECT_TRUE(s.StatLoaded);
  EXPECT_EQ(ReadFile(dir.File("stat.dat")),
            "90.00   2.50000000\r\n"
            "99.00   2.95000000\r\n"
            "99.90   2.99500000\r\n"
            "99.99   2.99950000\r\n"
            "0 5\r\n"
            "  1.00000000   0.00000000\r\n"
            "  2.00000000  80.00000000\r\n"
            "  3.00000000 100.00000000\r\n");
}

TEST(WriteStatistics, BeforeAnyDeemingRunWritesNothing) {
  TempDir dir;
  AnalysisState s;
  const StatSaveResult r = WriteStatistics(s, dir.File("stat.dat"));
  EXPECT_FALSE(r.written);
  EXPECT_EQ(r.text, kNoDistribution);
  EXPECT_FALSE(std::filesystem::exists(dir.File("stat.dat")));
  EXPECT_FALSE(s.StatLoaded);
}

TEST(WriteStatistics, LevelsOfARealRunRiseWithThePercentage) {
  const std::vector<double> t = testing::RandomDates(120, 300, 8);
  AnalysisState s = testing::MakeState(t, testing::Sinusoid(t, 2.2, 0.1));
  testing::Begin(s, SearchKind::Deeming, 30, 1.5, 0.05);
  testing::RecordingHooks hooks;
  SearchDeeming(s, hooks);
  TempDir dir;
  ASSERT_TRUE(WriteStatistics(s, dir.File("stat.dat")).written);
  for (int j = 2; j <= 4; ++j) EXPECT_LE(s.SigLevel[j - 1], s.SigLevel[j]);
  EXPECT_LE(s.SigLevel[4], s.AmpDist.AmpScale);
  EXPECT_GT(s.SigLevel[1], 0);
}

TEST(ReadStatistics, ReadsTheFourLevelsBack) {
  TempDir dir;
  AnalysisState written = testing::ThreeAmplitudeClasses();
  WriteStatistics(written, dir.File("stat.dat"));
  AnalysisState s;
  ReadStatistics(s, dir.File("stat.dat"));
  EXPECT_TRUE(s.StatFromFile);
  EXPECT_TRUE(s.StatLoaded);
  EXPECT_EQ(s.SigLevel[1], 2.5);
  EXPECT_EQ(s.SigLevel[2], 2.95);
  EXPECT_EQ(s.SigLevel[3], 2.995);
  EXPECT_EQ(s.SigLevel[4], 2.9995);
}

TEST(ReadStatistics, AMissingOrShortFileRaisesAndKeepsTheLevels) {
  TempDir dir;
  AnalysisState s;
  s.SigLevel = {0, 1, 2, 3, 4};
  EXPECT_THROW(ReadStatistics(s, dir.File("stat.dat")), KorvelError);
  EXPECT_TRUE(s.StatFromFile);
  EXPECT_FALSE(s.StatLoaded);
  dir.Write("short.dat", "90.00 1.5\r\n99.00 1.7\r\n99.90 1.9\r\n");
  EXPECT_THROW(ReadStatistics(s, dir.File("short.dat")), KorvelError);
  EXPECT_EQ(s.SigLevel[1], 1);
  EXPECT_FALSE(s.StatLoaded);
}

TEST(MagIntMode, TwoPressesRestoreMagnitudes) {
  AnalysisState s;
  s.MagMode = true;
  s.MagAxisFlip = 0;
  s.MagAxisSign = 1;
  s.MagLabel = "Mag";
  ToggleMagMode(s);
  EXPECT_FALSE(s.MagMode);
  EXPECT_EQ(s.MagAxisFlip, 1);
  EXPECT_EQ(s.MagAxisSign, -1);
  EXPECT_EQ(s.MagLabel, "Flux");
  ToggleMagMode(s);
  EXPECT_TRUE(s.MagMode);
  EXPECT_EQ(s.MagAxisFlip, 0);
  EXPECT_EQ(s.MagAxisSign, 1);
  EXPECT_EQ(s.MagLabel, "Mag");
}

}  // namespace
}  // namespace korvel
