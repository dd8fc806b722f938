// korvel-batch stats, run as a program on files written by the test.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "batch_run.h"
#include "core/analysis_state.h"
#include "io/observation_file.h"

namespace korvel {
namespace {

using testing::RunProgram;
using testing::RunResult;
using testing::ShellQuote;
using testing::TempDir;

class BatchStats : public ::testing::Test {
 protected:
  std::string Write(const std::string& name, const std::string& text) {
    return dir_.Write(name, text);
  }

  RunResult Stats(const std::string& file, const std::string& options = "") {
    return RunProgram(KORVEL_BATCH_PATH, "stats " + ShellQuote(file) + " " + options, dir_);
  }

  // Runs with --json and parses stdout; a parse failure fails the test.
  nlohmann::json StatsJson(const std::string& file, const std::string& options = "",
                           int expectedExit = 0) {
    const RunResult r = Stats(file, "--json " + options);
    EXPECT_EQ(r.exitCode, expectedExit) << r.err;
    return nlohmann::json::parse(r.out);
  }

  TempDir dir_;
};

TEST_F(BatchStats, JsonCarriesEveryStatisticAsTheLoadComputedIt) {
  const std::string file = Write("three.dat", "100.5 10.0\r\n101.25 10.5\r\n102 11.0\r\n");
  const nlohmann::json j = StatsJson(file);
  ASSERT_TRUE(j.is_object());
  EXPECT_EQ(j.size(), 13u);  // the statistics, the warnings and what was read
  EXPECT_EQ(j.at("nobs"), 3);
  EXPECT_EQ(j.at("warnings"), nlohmann::json::array());
  EXPECT_EQ(j.at("mag_mean").get<double>(), 10.5);
  EXPECT_DOUBLE_EQ(j.at("mag_var").get<double>(), 1.0 / 6.0);
  EXPECT_EQ(j.at("jd_min").get<double>(), 100.5);
  EXPECT_EQ(j.at("jd_max").get<double>(), 102.0);
  EXPECT_EQ(j.at("mag_min").get<double>(), 10.0);
  EXPECT_EQ(j.at("mag_max").get<double>(), 11.0);
}

TEST_F(BatchStats, JsonNumbersReadBackBitForBit) {
  // Values whose mean and variance need all 17 digits.
  const std::string file = Write("odd.dat",
                                 "59001.1234 12.3457\n59001.1301 12.3461\n59001.1377 12.3459\n"
                                 "59001.1402 12.4003\n59002.9999 11.9871\n");
  AnalysisState s;
  ASSERT_FALSE(LoadObservations(s, file, ReadOptions{}));
  const nlohmann::json j = StatsJson(file);
  EXPECT_EQ(j.at("nobs"), s.NObs);
  // Exact comparisons: a dump with too few digits changes the last bits.
  EXPECT_EQ(j.at("mag_mean").get<double>(), s.MagMean);
  EXPECT_EQ(j.at("mag_var").get<double>(), s.MagVar);
  EXPECT_EQ(j.at("jd_min").get<double>(), s.DataJDmin);
  EXPECT_EQ(j.at("jd_max").get<double>(), s.DataJDmax);
  EXPECT_EQ(j.at("mag_min").get<double>(), s.DataMagMin);
  EXPECT_EQ(j.at("mag_max").get<double>(), s.DataMagMax);
}

TEST_F(BatchStats, TextReportShowsCountMeanVarianceAndRanges) {
  const std::string file = Write("three.dat", "100.5 10.0\n101.25 10.5\n102 11.0\n");
  const RunResult r = Stats(file);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_NE(r.out.find("NObs: 3\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("MagMean: 10.5\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("MagVar: 0.16666666666666666\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("JD: 100.5 .. 102\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Mag: 10 .. 11\n"), std::string::npos) << r.out;
}

TEST_F(BatchStats, ColumnChoosesTheNumberAfterTheDate) {
  const std::string file = Write("cols.dat", "100.5 12.3 12.6\n101.5 12.1 12.8\n");
  EXPECT_DOUBLE_EQ(StatsJson(file).at("mag_min").get<double>(), 12.1);
  EXPECT_DOUBLE_EQ(StatsJson(file, "--column 2").at("mag_min").get<double>(), 12.6);
  // The first column also applies for a column below 1.
  EXPECT_DOUBLE_EQ(StatsJson(file, "--column 0").at("mag_min").get<double>(), 12.1);
}

TEST_F(BatchStats, ZeroMagnitudesCountOnlyWithReadZeros) {
  const std::string file = Write("zeros.dat", "100 0\n101 0.0001\n102 12.5\n");
  const nlohmann::json without = StatsJson(file);
  EXPECT_EQ(without.at("nobs"), 2);
  EXPECT_EQ(without.at("mag_min").get<double>(), 0.0001);
  const nlohmann::json with = StatsJson(file, "--read-zeros");
  EXPECT_EQ(with.at("nobs"), 3);
  EXPECT_EQ(with.at("mag_min").get<double>(), 0.0);
}

TEST_F(BatchStats, JDWindowKeepsBothEnds) {
  const std::string file = Write("window.dat", "100 10\n101 11\n101.5 12\n102 13\n103 14\n");
  const nlohmann::json j = StatsJson(file, "--jd-min 101 --jd-max 102");
  EXPECT_EQ(j.at("nobs"), 3);
  EXPECT_EQ(j.at("jd_min").get<double>(), 101.0);
  EXPECT_EQ(j.at("jd_max").get<double>(), 102.0);
  EXPECT_EQ(j.at("mag_mean").get<double>(), 12.0);
}

TEST_F(BatchStats, EmptyWindowReportsNoObservationsWithoutNumbers) {
  const std::string file = Write("window.dat", "100 10\n101 11\n");
  const nlohmann::json j = StatsJson(file, "--jd-min 200");
  EXPECT_EQ(j.at("nobs"), 0);
  EXPECT_TRUE(j.at("mag_mean").is_null());
  EXPECT_TRUE(j.at("mag_var").is_null());
  const RunResult text = Stats(file, "--jd-min 200");
  EXPECT_EQ(text.exitCode, 0);
  EXPECT_NE(text.out.find("NObs: 0\n"), std::string::npos) << text.out;
  EXPECT_EQ(text.out.find("MagMean"), std::string::npos) << text.out;
}

TEST_F(BatchStats, MalformedNumberFailsButKeepsTheLinesBeforeIt) {
  const std::string file = Write("bad.dat", "100 10.0\n101 11.0\n102 1O.5\n103 12.0\n");
  const RunResult r = Stats(file, "--json");
  EXPECT_NE(r.exitCode, 0);
  EXPECT_NE(r.err.find("Invalid numeric input"), std::string::npos) << r.err;
  const nlohmann::json j = nlohmann::json::parse(r.out);
  EXPECT_EQ(j.at("nobs"), 2);
  EXPECT_EQ(j.at("mag_mean").get<double>(), 10.5);
  EXPECT_EQ(j.at("jd_max").get<double>(), 101.0);

  const RunResult text = Stats(file);
  EXPECT_NE(text.exitCode, 0);
  EXPECT_NE(text.out.find("NObs: 2\n"), std::string::npos) << text.out;
}

TEST_F(BatchStats, MissingFileIsReportedAndPrintsNothing) {
  const RunResult r = Stats(dir_.File("no_such.dat"), "--json");
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err.find("File does not exist..."), std::string::npos) << r.err;
  EXPECT_EQ(r.out, "");
  // A directory is not an observation file either.
  EXPECT_EQ(Stats(dir_.path().string()).exitCode, 2);
}

TEST_F(BatchStats, BadCommandLinesAreRejected) {
  const std::string file = Write("three.dat", "100 10\n");
  for (const std::string& args : std::vector<std::string>{
           "", "stats", "stats " + ShellQuote(file) + " --column x",
           "stats " + ShellQuote(file) + " --jd-min", "frobnicate " + ShellQuote(file)}) {
    const RunResult r = RunProgram(KORVEL_BATCH_PATH, args, dir_);
    EXPECT_NE(r.exitCode, 0) << args;
    EXPECT_NE(r.err, "") << args;
    EXPECT_EQ(r.out.find("NObs"), std::string::npos) << args;
  }
}

}  // namespace
}  // namespace korvel
