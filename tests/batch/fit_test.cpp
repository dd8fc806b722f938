// korvel-batch fit and the survey's fit rows, run as a program on a
// synthetic delta Scuti star.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <numbers>
#include <random>
#include <sstream>
#include <string>

#include "batch_run.h"

namespace korvel {
namespace {

using testing::ReadFile;
using testing::RunProgram;
using testing::RunResult;
using testing::ShellQuote;
using testing::TempDir;

class BatchFit : public ::testing::Test {
 protected:
  void SetUp() override {
    // Three frequencies, f3 = f1 + f2, 40 points a night for 15 nights.
    std::mt19937 gen(7);
    std::uniform_real_distribution<double> hour(0, 0.3);
    std::normal_distribution<double> noise(0, 0.005);
    std::string text;
    for (int night = 0; night < 15; ++night)
      for (int k = 0; k < 40; ++k) {
        const double t = night + hour(gen), w = 2 * std::numbers::pi;
        const double m = 10 + 0.05 * std::sin(w * 12.7 * t) +
                         0.03 * std::sin(w * (15.3 * t + 0.6)) +
                         0.012 * std::sin(w * (28.0 * t + 0.35)) + noise(gen);
        char line[64];
        std::snprintf(line, sizeof line, "%.6f %.5f\n", 2460000 + t, m);
        text += line;
      }
    star_ = ShellQuote(dir_.Write("star.dat", text));
  }
  RunResult Run(const std::string& args) { return RunProgram(KORVEL_BATCH_PATH, args, dir_); }

  TempDir dir_;
  std::string star_;
};

TEST_F(BatchFit, PrintsTheFitAsJsonCsvAndResiduals) {
  const std::string residuals = dir_.File("residuals.dat");
  const RunResult r = Run("fit " + star_ + " --json --residuals " + ShellQuote(residuals));
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const nlohmann::json j = nlohmann::json::parse(r.out);
  for (const char* key :
       {"frequencies", "zero_point", "zero_point_error", "epoch", "residual_rms", "nobs", "fmin",
        "fmax", "weighted", "stop_reason", "stop_text", "rejected", "warnings"})
    EXPECT_TRUE(j.contains(key)) << key;
  ASSERT_EQ(j["frequencies"].size(), 3u);
  const nlohmann::json& f1 = j["frequencies"][0];
  for (const char* key :
       {"f", "period", "amplitude", "phase", "f_err", "amplitude_err", "phase_err",
        "f_err_analytic", "amplitude_err_analytic", "phase_err_analytic", "snr", "label", "alias"})
    EXPECT_TRUE(f1.contains(key)) << key;
  EXPECT_NEAR(f1["f"].get<double>(), 12.7, 0.001);
  EXPECT_NEAR(f1["period"].get<double>() * f1["f"].get<double>(), 1, 1e-12);
  EXPECT_EQ(j["frequencies"][2]["label"], "f1+f2");
  EXPECT_EQ(j["stop_reason"], "snr");
  EXPECT_LT(j["rejected"]["snr"].get<double>(), 4);
  EXPECT_EQ(j["nobs"], 600);

  std::istringstream lines(ReadFile(residuals));
  double t = 0, res = 0, sum2 = 0;
  int n = 0;
  while (lines >> t >> res) sum2 += res * res, ++n;
  EXPECT_EQ(n, 600);
  EXPECT_NEAR(std::sqrt(sum2 / n), j["residual_rms"].get<double>(), 1e-5);

  const RunResult csv = Run("fit " + star_ + " --csv --frequencies 12.7,15.3");
  ASSERT_EQ(csv.exitCode, 0) << csv.err;
  EXPECT_EQ(csv.out.substr(0, csv.out.find('\n')),
            "n,frequency,frequency_error,period,amplitude,amplitude_error,phase,phase_error,snr,"
            "label,alias");
  EXPECT_EQ(std::count(csv.out.begin(), csv.out.end(), '\n'), 3);
}

TEST_F(BatchFit, RefusesBadInputWithItsMessage) {
  RunResult r = Run("fit " + star_ + " --snr 0");
  EXPECT_EQ(r.exitCode, 3);
  EXPECT_NE(r.err.find("S/N limit"), std::string::npos) << r.err;
  r = Run("fit " + star_ + " --frequencies 12.7,12.71");
  EXPECT_EQ(r.exitCode, 3);
  EXPECT_NE(r.err.find("closer than 1 / time span"), std::string::npos) << r.err;
  r = Run("fit " + star_ + " --fmin 20 --fmax 10");
  EXPECT_EQ(r.exitCode, 3);
  EXPECT_NE(r.err.find("fmax must be above fmin"), std::string::npos) << r.err;
  r = Run("fit " + ShellQuote(dir_.File("none.dat")));
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_TRUE(r.out.empty());
}

TEST_F(BatchFit, TheSurveyWritesAFitRow) {
  const std::string out = dir_.File("rows.jsonl");
  const RunResult r = Run("survey " + star_ + " --methods fit -o " + ShellQuote(out));
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const nlohmann::json row = nlohmann::json::parse(ReadFile(out));
  EXPECT_EQ(row["method"], "fit");
  EXPECT_NEAR(row["period_1"].get<double>(), 1 / 12.7, 1e-5);
  EXPECT_EQ(row["fit"]["frequencies"].size(), 3u);
  EXPECT_EQ(row["fit"]["stop_reason"], "snr");
  // Its rows are read back by --resume: nothing is searched again.
  const RunResult again =
      Run("survey " + star_ + " --methods fit -o " + ShellQuote(out) + " --resume");
  EXPECT_EQ(again.exitCode, 0) << again.err;
  const std::string rows = ReadFile(out);
  EXPECT_EQ(std::count(rows.begin(), rows.end(), '\n'), 1);

  const RunResult help = Run("survey --help");
  // The table of searches names them, then the rows that are no search.
  EXPECT_NE(help.out.find("comma-separated: lk, deeming, "), std::string::npos) << help.out;
  EXPECT_NE(help.out.find(", adopted, fit ("), std::string::npos) << help.out;
}

}  // namespace
}  // namespace korvel
