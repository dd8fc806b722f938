// korvel-batch survey over stars in several formats, run as a program: each
// star is read in its own format, its JSON rows say what was read, a file that
// cannot be read fails alone, and such rows resume like any other.

#include <gtest/gtest.h>

#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>

#include "batch_run.h"
#include "format_samples.h"

namespace korvel {
namespace {

using testing::ReadFile;
using testing::RunProgram;
using testing::RunResult;
using testing::ShellQuote;
using testing::TempDir;

// The rows of a JSON-lines output by file.
std::map<std::string, nlohmann::json> RowsByFile(const std::string& text) {
  std::map<std::string, nlohmann::json> rows;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    const auto j = nlohmann::json::parse(line);
    rows[j.at("file")] = j;
  }
  return rows;
}

TEST(SurveyFormats, EachStarIsReadInItsFormatAndABadOneFailsAlone) {
  TempDir dir;
  const testing::SampleFile sample = testing::FormatSamples(testing::MakeSampleStar()).front();
  const std::string csv = dir.Write(sample.name, sample.content);
  const std::string plain = dir.Write("plain.dat", ReadFile(testing::kSampleStar));
  const std::string bad = dir.Write("bad.csv", "JD,Mag\n2459000.5,12.1\n2459001.5,\"12.2\n");
  std::string stars;
  for (const std::string& file : {csv, plain, bad}) stars += ' ' + ShellQuote(file);
  stars += " --methods lk --pmin 0.3 --pmax 1 --phase-shift 0.5";
  const std::string out = dir.File("rows.jsonl");
  const auto survey = [&](const std::string& options) {
    return RunProgram(KORVEL_BATCH_PATH, "survey -o " + ShellQuote(out) + stars + options, dir);
  };

  RunResult r = survey("");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.err.find(csv + ": warning: CSV g: "), std::string::npos) << r.err;
  auto rows = RowsByFile(ReadFile(out));
  ASSERT_EQ(rows.size(), 3u);
  const nlohmann::json& read = rows.at(csv);
  const testing::SampleCounts& g = sample.expect.at("g");
  EXPECT_EQ(read.at("error"), "");
  EXPECT_EQ(read.at("format"), "csv");
  EXPECT_EQ(read.at("band"), "g");
  EXPECT_EQ(read.at("time_system"), "JD");
  EXPECT_EQ(read.at("nobs"), g.kept);
  EXPECT_EQ(read.at("rows_read"), g.read);
  EXPECT_EQ(read.at("rows_dropped"), nlohmann::json(g.dropped));
  EXPECT_GT(read.at("period_1").get<double>(), 0);
  // A plain star's row keeps the keys of a survey of plain files.
  EXPECT_EQ(rows.at(plain).at("error"), "");
  EXPECT_FALSE(rows.at(plain).contains("format"));
  EXPECT_EQ(rows.at(bad).at("error").get<std::string>().rfind(bad + ":3: ", 0), 0u)
      << rows.at(bad).at("error");
  EXPECT_TRUE(rows.at(bad).at("nobs").is_null());

  // Rows with what was read are complete rows to --resume: nothing is added.
  const std::string before = ReadFile(out);
  r = survey(" --resume");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(ReadFile(out), before);

  // --band applies to each star in a format with bands; the plain star is read as before.
  r = survey(" --band r");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  rows = RowsByFile(ReadFile(out));
  EXPECT_EQ(rows.at(csv).at("band"), "r");
  EXPECT_EQ(rows.at(csv).at("rows_read"), sample.expect.at("r").read);
  EXPECT_EQ(rows.at(plain).at("nobs"), RowsByFile(before).at(plain).at("nobs"));

  // CSV rows keep their columns; the format shows in the star's numbers alone.
  r = RunProgram(KORVEL_BATCH_PATH, "survey" + stars, dir);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out.substr(0, r.out.find('\n')).find("format"), std::string::npos);
  EXPECT_NE(r.out.find(bad + ":3: "), std::string::npos) << r.out;
}

}  // namespace
}  // namespace korvel
