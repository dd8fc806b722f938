// korvel-batch --analysis: a command starts from an analysis file as from
// the observation file it names, with its deletions and parameters.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>

#include "batch_run.h"
#include "core/analysis_state.h"
#include "io/analysis_file.h"
#include "io/observation_file.h"

namespace korvel {
namespace {

using testing::ReadFile;
using testing::RunProgram;
using testing::RunResult;
using testing::ShellQuote;
using testing::TempDir;

TEST(BatchAnalysis, SearchesTheAnalysedObservationsWithTheAnalysisParameters) {
  TempDir dir;
  // A copy: a command that wrongly wrote over its input must not spoil the sample.
  const std::string text = ReadFile(testing::kSampleStar);
  const std::string star = dir.Write("star.dat", text);
  AnalysisState s;
  LoadObservations(s, star, {});
  AnalysisDocument d;
  d.observations.file = star;
  d.observations.jdMin = -1e7;
  d.observations.jdMax = 1e7;
  d.observations.loadedCount = s.NObs;
  d.observations.deleted = {{1, s.JD[1], s.Mag[1]}};
  d.search.pmin = 0.4;
  d.search.pmax = 0.7;
  d.search.phaseShift = 0.05;
  const std::string analysis = dir.File("star.korvel.json");
  WriteAnalysisFile(d, analysis);

  // The same search on the file without its first observation.
  const std::string reduced = dir.Write("reduced.dat", text.substr(text.find('\n') + 1));
  const RunResult fromAnalysis = RunProgram(
      KORVEL_BATCH_PATH, "search --method lk --json --analysis " + ShellQuote(analysis), dir);
  const RunResult direct = RunProgram(KORVEL_BATCH_PATH,
                                      "search --method lk --json --pmin 0.4 --pmax 0.7 "
                                      "--phase-shift 0.05 " +
                                          ShellQuote(reduced),
                                      dir);
  ASSERT_EQ(fromAnalysis.exitCode, 0) << fromAnalysis.err;
  ASSERT_EQ(direct.exitCode, 0) << direct.err;
  const auto a = nlohmann::json::parse(fromAnalysis.out), b = nlohmann::json::parse(direct.out);
  EXPECT_EQ(a["trials"], b["trials"]);
  EXPECT_EQ(a["best"], b["best"]);

  // A damaged analysis is refused with its reason; the load options belong
  // to FILE.
  dir.Write("bad.korvel.json", "{\"format\": \"korvel-analysis\", \"version\": 9}");
  const RunResult bad = RunProgram(
      KORVEL_BATCH_PATH, "stats --analysis " + ShellQuote(dir.File("bad.korvel.json")), dir);
  EXPECT_EQ(bad.exitCode, 3);
  EXPECT_NE(bad.err.find("version 9 is newer"), std::string::npos) << bad.err;
  EXPECT_NE(
      RunProgram(KORVEL_BATCH_PATH, "stats --column 2 --analysis " + ShellQuote(analysis), dir)
          .exitCode,
      0);
  // The observation file it names is an input too: no output may replace it.
  const RunResult over = RunProgram(
      KORVEL_BATCH_PATH,
      "reshuffle --seed 1 -o " + ShellQuote(star) + " --analysis " + ShellQuote(analysis), dir);
  EXPECT_EQ(over.exitCode, 3);
  EXPECT_NE(over.err.find("is also an input"), std::string::npos) << over.err;
}

}  // namespace
}  // namespace korvel
