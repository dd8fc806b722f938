// korvel-batch wave, prewhiten and model, run as a program, and the chain
// search -> wave -> prewhiten -> search on the sample star.

#include <gtest/gtest.h>

#include <cmath>
#include <nlohmann/json.hpp>
#include <string>

#include "batch_run.h"
#include "core/analysis_state.h"
#include "io/observation_file.h"
#include "lightcurve/document_light_curve.h"
#include "lightcurve/mean_curve_file.h"
#include "lightcurve/moving_average.h"
#include "lightcurve/phase_views.h"

namespace korvel {
namespace {

using testing::ReadFile;
using testing::RunProgram;
using testing::RunResult;
using testing::ShellQuote;
using testing::TempDir;

const std::string& kStar = testing::kSampleStar;

class BatchWave : public ::testing::Test {
 protected:
  RunResult Run(const std::string& args) { return RunProgram(KORVEL_BATCH_PATH, args, dir_); }
  nlohmann::json Json(const std::string& args) {
    const RunResult r = Run(args + " --json");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    return nlohmann::json::parse(r.out);
  }
  double BestLKPeriod(const std::string& file, const std::string& more = "") {
    const nlohmann::json j =
        Json("search " + ShellQuote(file) + " --method lk --pmax 1 --pmin 0.3 " + more);
    return j["best"][0]["period"].get<double>();
  }

  TempDir dir_;
};

TEST_F(BatchWave, TheChainFindsAnotherPeriodInTheResiduals) {
  const double first = BestLKPeriod(kStar);
  EXPECT_NEAR(first, 0.5568, 0.0005);
  const std::string collect = dir_.File("star.sup");
  const std::string residuals = dir_.File("star.o");
  const std::string elements = " --period " + std::to_string(first) + " --epoch 59000";
  const RunResult r = Run("prewhiten " + ShellQuote(kStar) + elements + " --collect " +
                          ShellQuote(collect) + " --residuals " + ShellQuote(residuals));
  ASSERT_EQ(r.exitCode, 0) << r.err;
  // A residual may round to 0.0000: read them with zeros.
  const double second = BestLKPeriod(residuals, "--read-zeros");
  EXPECT_GT(std::abs(second - first), 0.002) << first << " then " << second;

  // The collecting file holds the curve the residuals lost; its model at each
  // date is what was subtracted, up to the file's 3-decimal phases (on the
  // steep rise of the light curve, 0.0005 in phase is 0.005 in magnitude).
  AnalysisState star, rest, model;
  ASSERT_FALSE(LoadObservations(star, kStar, ReadOptions{}));
  ReadOptions withZeros;
  withZeros.readZeros = true;
  ASSERT_FALSE(LoadObservations(rest, residuals, withZeros));
  ASSERT_EQ(rest.NObs, star.NObs);
  ReadMeanCurveFile(model, collect);
  ASSERT_EQ(model.MLCCurves, 1);
  EXPECT_EQ(model.MLCCount[1], 40);
  for (int32_t i = 1; i <= star.NObs; i += 97)
    EXPECT_NEAR(star.Mag[i] - rest.Mag[i], ModelValue(model, star.JD[i]), 0.02) << i;
}

TEST_F(BatchWave, WavePrintsTheMeanCurveOfTheWindowsAlgorithm) {
  const nlohmann::json j = Json("wave " + ShellQuote(kStar) +
                                " --period 0.5567809 --epoch 59000.59 --points 25 "
                                "--bin-length 0.1");
  AnalysisState s;
  ASSERT_FALSE(LoadObservations(s, kStar, ReadOptions{}));
  s.Period = 0.5567809;
  s.Epoch = 59000.59;
  s.MeanPoints = 25;
  s.BinLength = 0.1;
  ComputePhases(s);
  ComputeMeanCurve(s);
  ASSERT_EQ(j["points"].size(), static_cast<size_t>(s.MeanPoints));
  for (int32_t k = 1; k <= s.MeanPoints; ++k) {
    const auto& p = j["points"][k - 1];
    EXPECT_EQ(p["phase"].get<double>(), s.MeanPhase[k]);
    EXPECT_EQ(p["mag"].get<double>(), s.MeanMag[k]);
    EXPECT_EQ(p["phase_err"].get<double>(), s.MeanPhaseErr[k]);
    EXPECT_EQ(p["mag_err"].get<double>(), s.MeanMagErr[k]);
    EXPECT_EQ(p["count"].get<double>(), s.MeanCount[k]);
  }
  EXPECT_EQ(j["mag_high"].get<double>(), s.MeanMagHigh);
  EXPECT_EQ(j["mag_low"].get<double>(), s.MeanMagLow);
}

TEST_F(BatchWave, PrewhitenPrintsTheResidualsAndAppendsCurves) {
  const std::string collect = dir_.File("c.sup");
  const std::string base =
      "prewhiten " + ShellQuote(kStar) + " --epoch 59000 --collect " + ShellQuote(collect);
  const nlohmann::json j = Json(base + " --period 0.5567809");
  Json(base + " --period 0.55 --curve 2 --points 20");
  AnalysisState s;
  ASSERT_FALSE(LoadObservations(s, kStar, ReadOptions{}));
  ASSERT_EQ(j["residuals"].size(), static_cast<size_t>(s.NObs));
  double sum = 0, low = 1e9, high = -1e9;
  for (const auto& v : j["residuals"]) {
    sum += v.get<double>();
    low = std::min(low, v.get<double>());
    high = std::max(high, v.get<double>());
  }
  EXPECT_NEAR(j["mag_mean"].get<double>(), sum / s.NObs, 1e-12);
  EXPECT_EQ(j["mag_min"].get<double>(), low);
  EXPECT_EQ(j["mag_max"].get<double>(), high);
  EXPECT_LT(j["mag_var"].get<double>(), s.MagVar / 5);
  AnalysisState m;
  ReadMeanCurveFile(m, collect);
  ASSERT_EQ(m.MLCCurves, 2);
  EXPECT_EQ(m.MLCCount[2], 20);
  EXPECT_DOUBLE_EQ(m.MLCPeriod[2], 0.55);
}

TEST_F(BatchWave, ModelPrintsTheSumOfTheCollectedCurves) {
  const std::string collect = dir_.Write("c.sup",
                                         " 1  2     0.50000000     0.0000 disturbed\r\n"
                                         "0.250 10.0000 0.0010    12\r\n"
                                         "0.750 11.0000 0.0010    12\r\n");
  const nlohmann::json j =
      Json("model " + ShellQuote(collect) + " --from 100 --to 100.5 --samples 5");
  EXPECT_EQ(j["curves"], 1);
  ASSERT_EQ(j["samples"].size(), 5u);
  const double expected[] = {10.5, 10, 10.5, 11, 10.5};
  for (int k = 0; k < 5; ++k) {
    EXPECT_DOUBLE_EQ(j["samples"][k]["t"].get<double>(), 100 + 0.125 * k);
    EXPECT_NEAR(j["samples"][k]["mag"].get<double>(), expected[k], 1e-9) << k;
  }
  EXPECT_EQ(j["warnings"].size(), 0u);
  const RunResult text = Run("model " + ShellQuote(collect) + " --from 100 --to 101 --samples 3");
  EXPECT_EQ(text.out, "100.000000 10.500000\n100.500000 10.500000\n101.000000 10.500000\n");

  // A control character on line 3 is passed over, and said so.
  const std::string odd = dir_.Write("odd.sup",
                                     " 1  2     0.50000000     0.0000 disturbed\r\n"
                                     "0.250 10.0000 0.0010    12\r\n"
                                     "0.750\x01 11.0000 0.0010    12\r\n");
  const nlohmann::json w = Json("model " + ShellQuote(odd) + " --from 100 --to 100.5 --samples 5");
  EXPECT_EQ(w["samples"], j["samples"]);
  ASSERT_EQ(w["warnings"].size(), 1u);
  EXPECT_EQ(w["warnings"][0]["kind"], "control_character");
  EXPECT_EQ(w["warnings"][0]["first_line"], 3);
}

TEST_F(BatchWave, RefusalsSayWhyAndWriteNothing) {
  const std::string collect = dir_.File("c.sup");
  const std::string star = ShellQuote(kStar);
  struct Case {
    std::string args;
    int exitCode;
    std::string message;
  };
  const Case cases[] = {
      {"wave " + star + " --period 0.5 --epoch 0 --points 100", 3, "Error in Number..."},
      {"wave " + star + " --period 0.5 --epoch 0 --bin-length 0.2500001", 3,
       "Error in Interval extention..."},
      {"wave " + star + " --period 0 --epoch 0", 3, "period"},
      {"wave " + star + " --period inf --epoch 0", 3, "period"},
      {"wave " + star + " --period 0.5 --epoch nan", 3, "--epoch: nan is not a finite number..."},
      {"model " + star + " --from 0 --to 1 --samples 2147483647", 3, "At most 10000000 samples..."},
      {"model " + star + " --from nan --to 1", 3, "--from: nan is not a finite number..."},
      {"prewhiten " + star + " --period 0.5 --epoch 0 --points 1 --collect " + ShellQuote(collect),
       3, "Error in Number..."},
      {"prewhiten " + ShellQuote(dir_.File("none.dat")) + " --period 0.5 --epoch 0", 2,
       "does not exist"},
      {"model " + ShellQuote(collect) + " --from 0 --to 1", 2, "does not exist."},
      {"prewhiten " + star + " --period 0.5 --epoch 0 --residuals " +
           ShellQuote(dir_.File("no/dir/r.o")),
       4, "I/O error"},
  };
  for (const Case& c : cases) {
    const RunResult r = Run(c.args);
    EXPECT_EQ(r.exitCode, c.exitCode) << c.args << "\n" << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << c.args << "\n" << r.err;
  }
  EXPECT_FALSE(std::filesystem::exists(collect));

  // A failed residual file appends nothing: a rerun cannot double the model.
  // Neither output may be the observation file.
  const std::string kept = dir_.Write("kept.sup", "kept\r\n");
  const std::string data = dir_.Write("data.dat", "1.0 10\r\n1.3 11\r\n1.6 12\r\n");
  const Case refused[] = {
      {"prewhiten " + star + " --period 0.5 --epoch 0 --collect " + ShellQuote(kept) +
           " --residuals " + ShellQuote(dir_.File("no/dir/r.o")),
       4, "I/O error"},
      {"prewhiten " + ShellQuote(data) + " --period 0.5 --epoch 0 --collect " + ShellQuote(data), 3,
       "The collecting file cannot be the observation file itself..."},
      {"prewhiten " + ShellQuote(data) + " --period 0.5 --epoch 0 --residuals " + ShellQuote(data),
       3, "The residual file cannot be the observation file itself..."},
  };
  for (const Case& c : refused) {
    const RunResult r = Run(c.args);
    EXPECT_EQ(r.exitCode, c.exitCode) << c.args << "\n" << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << c.args << "\n" << r.err;
  }
  EXPECT_EQ(testing::ReadFile(kept), "kept\r\n");
  EXPECT_EQ(testing::ReadFile(data), "1.0 10\r\n1.3 11\r\n1.6 12\r\n");

  // A malformed line cuts the set short: no residuals of part of it.
  const std::string bad = dir_.Write("bad.dat", "1.0 10\r\n1.3 11\r\n1.6 x\r\n");
  const RunResult r = Run("prewhiten " + ShellQuote(bad) + " --period 0.5 --epoch 0 --collect " +
                          ShellQuote(collect));
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_FALSE(std::filesystem::exists(collect));
}

}  // namespace
}  // namespace korvel
