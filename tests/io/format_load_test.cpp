// Loading an archive's file into the analysis state: errors kept beside the
// magnitudes, a file that cannot be read leaving the state alone, and an
// analysis file reading the same band again.

#include <gtest/gtest.h>

#include <string>

#include "core/analysis_state.h"
#include "io/observation_file.h"
#include "io/read_observations.h"
#include "search/document_analysis.h"
#include "search/document_search.h"
#include "support/temp_dir.h"

namespace korvel {
namespace {

using testing::TempDir;

// Band V has three rows (one a limit), band B two, out of date order.
constexpr const char* kTwoBands =
    "jd,mag,err,band\n"
    "2459001.5,12.10,0.01,V\n"
    "2459000.5,12.40,0.03,B\n"
    "2459002.5,<13.0,,V\n"
    "2459003.5,12.20,0.02,V\n"
    "2459004.5,12.50,0.04,B\n";

TEST(FormatLoad, KeepsTheBandsErrorsBesideTheMagnitudesAndSaysWhatItRead) {
  TempDir dir;
  const std::string file = dir.Write("star.csv", kTwoBands);
  AnalysisState s;
  ReadOptions options;
  options.band = "B";
  LoadObservations(s, file, options);
  ASSERT_EQ(s.NObs, 2);
  EXPECT_DOUBLE_EQ(s.JD[1], 2459000.5);
  EXPECT_DOUBLE_EQ(s.Err[2], 0.04);
  EXPECT_EQ(s.Loaded.format, ObservationFormat::Csv);
  EXPECT_EQ(s.ReadWith.band, "B");
  const Observations o = ObservationsOf(s);
  ASSERT_EQ(o.err.size(), 2u);
  EXPECT_DOUBLE_EQ(o.err[0], 0.03);
  EXPECT_EQ(o.band, "B");

  LoadObservations(s, file, {});  // the band with most rows
  EXPECT_EQ(s.NObs, 2);
  EXPECT_EQ(s.Loaded.band, "V");
  EXPECT_EQ(DroppedRowsText(s.Loaded), "CSV V: 2 of 3 rows (1 limit)");
}

TEST(FormatLoad, AFileThatCannotBeReadLeavesTheLoadedSet) {
  TempDir dir;
  AnalysisState s;
  LoadObservations(s, dir.Write("star.csv", kTwoBands), {});
  const std::string ragged = dir.Write("ragged.csv", "jd,mag,err\n2459000.5,12.1,0.01\n1,2\n");
  EXPECT_THROW(LoadObservations(s, ragged, {}), FormatError);
  EXPECT_EQ(s.NObs, 2);
  EXPECT_EQ(s.Loaded.band, "V");
  EXPECT_EQ(s.Err.size(), 3u);
}

TEST(FormatLoad, AnAnalysisFileReadsTheSameBandAgain) {
  TempDir dir;
  const std::string file = dir.Write("star.csv", kTwoBands);
  AnalysisState s;
  ReadOptions options;
  options.band = "B";
  options.timeOffset = -2459000;
  LoadObservations(s, file, options);
  const AnalysisDocument d = AnalysisOfState(s);
  EXPECT_EQ(d.observations.format, "csv");

  const std::string saved = dir.File("star.korvel.json");
  WriteAnalysisFile(d, saved);
  const auto read = ReadAnalysisFile(saved);
  ASSERT_TRUE(std::holds_alternative<AnalysisDocument>(read));
  AnalysisState restored;
  const RestoreOutcome out = RestoreAnalysis(restored, std::get<AnalysisDocument>(read), file);
  ASSERT_FALSE(out.refusal) << *out.refusal;
  EXPECT_EQ(restored.Loaded.band, "B");
  ASSERT_EQ(restored.NObs, 2);
  EXPECT_DOUBLE_EQ(restored.JD[1], 0.5);
  ASSERT_EQ(restored.Err.size(), 3u);
  EXPECT_DOUBLE_EQ(restored.Err[1], 0.03);
}

}  // namespace
}  // namespace korvel
