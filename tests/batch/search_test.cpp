// korvel-batch search, run as a program: the state it sets must be the one
// the window's dialogs set, so its results match the engine run in-process.

#include <gtest/gtest.h>

#include <cmath>
#include <nlohmann/json.hpp>
#include <numbers>
#include <optional>
#include <random>
#include <sstream>
#include <string>

#include "batch_run.h"
#include "core/analysis_state.h"
#include "core/text_format.h"
#include "io/observation_file.h"
#include "io/param_file.h"
#include "search/document_search.h"
#include "search/search_hooks.h"
#include "search/trial_grid.h"

namespace korvel {
namespace {

using testing::kSampleStar;
using testing::RunProgram;
using testing::RunResult;
using testing::ShellQuote;
using testing::TempDir;

// A sinusoid of period 3.7 days sampled irregularly over about 900 days;
// with a seed, Gaussian noise of 0.1 mag at the same dates instead.
std::string SinusoidText(std::optional<unsigned> noiseSeed = std::nullopt) {
  std::ostringstream text;
  std::mt19937 gen(noiseSeed.value_or(0));
  std::normal_distribution<double> noise(0, 0.1);
  double t = 0;
  for (int i = 0; i < 300; ++i) {
    t += 0.5 + std::fmod(i * 2.6180339887, 5.5);
    const double mag =
        noiseSeed ? 12 + noise(gen)
                  : 12 + 0.3 * std::sin(2 * std::numbers::pi * t / 3.7) + 0.01 * std::sin(i);
    text << ObservationLine(2450000 + t, mag, 4) << "\r\n";
  }
  return text.str();
}

class BatchSearch : public ::testing::Test {
 protected:
  void SetUp() override { file_ = dir_.Write("sin.dat", SinusoidText()); }

  RunResult Search(const std::string& options) {
    return RunProgram(KORVEL_BATCH_PATH, "search " + ShellQuote(file_) + " " + options, dir_);
  }
  nlohmann::json Json(const std::string& options) {
    const RunResult r = Search("--json " + options);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    return nlohmann::json::parse(r.out);
  }

  TempDir dir_;
  std::string file_;
};

TEST_F(BatchSearch, LaflerKinmanJsonMatchesTheEngineRunInProcess) {
  const nlohmann::json j = Json("--method lk --pmax 10 --pmin 2 --phase-shift 0.1");
  AnalysisState s;
  SetParameterDefaults(s);
  ASSERT_FALSE(LoadObservations(s, file_, ReadOptions{}));
  // What AcceptSearchParameters stores.
  s.Pmax = 10;
  s.Pmin = 2;
  s.FreqStep = 0.1;
  SetFreqAxis(s);
  ASSERT_FALSE(CheckSearchable(s, SearchKind::LaflerKinman));
  StartSearch(s, SearchKind::LaflerKinman);
  const double step = s.FreqStep;
  SilentSearchHooks hooks;
  RunSearch(s, SearchKind::LaflerKinman, hooks);

  EXPECT_EQ(j.at("method"), "lk");
  ASSERT_EQ(j.at("best").size(), 20u);
  for (int k = 1; k <= kBestPlaces; ++k) {
    const auto& b = j.at("best")[k - 1];
    EXPECT_EQ(b.at("period").get<double>(), s.BestPeriod[k]) << k;
    EXPECT_EQ(b.at("param").get<double>(), s.BestParam[k]) << k;
    EXPECT_EQ(b.at("freq").get<double>(), s.BestFreq[k]) << k;
  }
  EXPECT_EQ(j.at("freq_step").get<double>(), step);
  EXPECT_EQ(j.at("spec_high").size(), 481u);
  EXPECT_EQ(j.at("spec_low").size(), 481u);
  EXPECT_EQ(j.at("spec_max").get<double>(), s.SpecMax);
  // Trials: the grid replayed by repeated addition.
  int64_t trials = 0;
  for (double f = 1.0 / 10 - step; (f += step) <= 1.0 / 2;) ++trials;
  EXPECT_EQ(j.at("trials").get<int64_t>(), trials);
  // A sinusoid folds as smoothly on twice its period.
  const double best = j.at("best")[0].at("period").get<double>();
  EXPECT_TRUE(std::abs(best - 3.7) < 0.01 || std::abs(best - 7.4) < 0.02) << best;
}

TEST_F(BatchSearch, TextShowsTheTwentyGridRowsWithTheirDecimals) {
  const RunResult r = Search("--method lk --pmax 10 --pmin 2");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  std::istringstream lines(r.out);
  std::string line;
  std::getline(lines, line);
  EXPECT_NE(line.find("Period"), std::string::npos);
  for (int row = 1; row <= kBestPlaces; ++row) {
    ASSERT_TRUE(std::getline(lines, line)) << row;
    std::istringstream cells(line);
    std::string period, param, freq;
    cells >> period >> param >> freq;
    EXPECT_EQ(period.size() - period.find('.') - 1, 7u) << line;
    EXPECT_EQ(param.size() - param.find('.') - 1, 3u) << line;
    EXPECT_EQ(freq.size() - freq.find('.') - 1, 7u) << line;
  }
  std::getline(lines, line);
  EXPECT_EQ(line, "Done...");
}

TEST_F(BatchSearch, DeemingDistributionAddsUpAndLevelsAreOrdered) {
  const nlohmann::json j = Json("--method deeming --pmax 10 --pmin 2");
  int64_t sum = 0;
  for (const auto& n : j.at("amp_hist")) sum += n.get<int64_t>();
  EXPECT_EQ(j.at("amp_hist").size(), 101u);
  EXPECT_EQ(sum, j.at("amp_trials").get<int64_t>());
  EXPECT_EQ(j.at("trials").get<int64_t>(), j.at("amp_trials").get<int64_t>());
  const int top = j.at("amp_top_bin");
  EXPECT_EQ(j.at("amp_cum_pct").size(), static_cast<size_t>(top + 1));
  EXPECT_DOUBLE_EQ(j.at("amp_cum_pct")[top].get<double>(), 100.0);
  ASSERT_EQ(j.at("sig_levels").size(), 4u);
  for (int k = 1; k < 4; ++k)
    EXPECT_LE(j.at("sig_levels")[k - 1].get<double>(), j.at("sig_levels")[k].get<double>());
  EXPECT_EQ(j.at("status").get<std::string>().rfind("Done... N=", 0), 0u);
}

TEST_F(BatchSearch, SpectrumFileGetsOneLinePerTrial) {
  const std::string spectrumFile = dir_.File("spectrum.dat");
  const nlohmann::json j =
      Json("--method deeming --pmax 10 --pmin 5 --spectrum-file " + ShellQuote(spectrumFile));
  const std::string text = testing::ReadFile(spectrumFile);
  size_t lines = 0;
  for (size_t p = 0; (p = text.find("\r\n", p)) != std::string::npos; p += 2) ++lines;
  EXPECT_EQ(static_cast<int64_t>(lines), j.at("trials").get<int64_t>());
  const RunResult bad =
      Search("--method deeming --pmax 10 --pmin 5 --spectrum-file " + dir_.File("no/dir/x"));
  EXPECT_NE(bad.exitCode, 0);
  EXPECT_NE(bad.err.find("I/O error"), std::string::npos) << bad.err;
}

// --threads changes nothing in the output, and a bad count is refused.
TEST_F(BatchSearch, ThreadCountsPrintTheSameResults) {
  for (const std::string method :
       {"lk", "deeming", "secondary --period 3.7 --pmax 100 --pmin 10 --bins 4"}) {
    const std::string options = "--json --method " + method;
    const RunResult one = Search(options + " --threads 1");
    ASSERT_EQ(one.exitCode, 0) << one.err;
    for (const char* threads : {"2", "5"}) {
      const RunResult many = Search(options + " --threads " + threads);
      EXPECT_EQ(many.out, one.out) << method << " " << threads;
    }
  }
  const RunResult bad = Search("--method lk --threads 0");
  EXPECT_NE(bad.exitCode, 0);
  EXPECT_NE(bad.err.find("must be a whole number from 1 to 1024"), std::string::npos) << bad.err;
}

TEST_F(BatchSearch, SecondaryNeedsThePrimaryPeriod) {
  const RunResult r = Search("--method secondary --pmax 100 --pmin 10");
  EXPECT_NE(r.exitCode, 0);
  EXPECT_NE(r.err.find("Error in Po..."), std::string::npos) << r.err;
  EXPECT_EQ(r.out, "");
  const nlohmann::json j = Json("--method secondary --period 3.7 --pmax 100 --pmin 10 --bins 4");
  EXPECT_GT(j.at("primary_theta").get<double>(), 0);
  EXPECT_EQ(j.at("method"), "secondary");
}

TEST_F(BatchSearch, RefusedSearchesExitWithTheMessage) {
  const std::string flat = dir_.Write("flat.dat", "100 12\n101 12\n102 12\n");
  const RunResult r = RunProgram(KORVEL_BATCH_PATH, "search --method lk " + ShellQuote(flat), dir_);
  EXPECT_NE(r.exitCode, 0);
  EXPECT_NE(r.err.find("All magnitudes are equal"), std::string::npos) << r.err;
  EXPECT_EQ(r.out, "");
  const RunResult range = Search("--method lk --pmax 1 --pmin 2");
  EXPECT_NE(range.exitCode, 0);
  EXPECT_NE(range.err.find("Error in P range..."), std::string::npos) << range.err;
  EXPECT_NE(Search("--method lk --window").exitCode, 0);
}

TEST_F(BatchSearch, ProgressGoesToStderrOnly) {
  const RunResult plain = Search("--method lk --pmax 10 --pmin 5 --json");
  const RunResult withBar = Search("--method lk --pmax 10 --pmin 5 --json --progress");
  ASSERT_EQ(withBar.exitCode, 0) << withBar.err;
  EXPECT_EQ(plain.out, withBar.out);
  EXPECT_EQ(plain.err, "");
  EXPECT_NE(withBar.err.find("100%"), std::string::npos) << withBar.err;
  EXPECT_EQ(withBar.err.back(), '\n');
}

// The distinct peaks: as many as asked, each a fitted period with its error
// or the reason it has none; a bootstrap and reshuffled false-alarm
// probabilities only when asked, the bootstrap the same for any number of threads; an absurd
// count refused.
TEST_F(BatchSearch, PeaksCarryFittedPeriodsAndErrors) {
  const nlohmann::json j = Json("--method deeming --pmax 10 --pmin 0.3 --peaks 3");
  ASSERT_EQ(j.at("peaks").size(), 3u);
  const nlohmann::json& first = j.at("peaks")[0];
  EXPECT_EQ(first.at("frequency").get<double>(), j.at("best")[0].at("freq").get<double>());
  EXPECT_FALSE(first.contains("period_error_bootstrap"));
  for (const nlohmann::json& p : j.at("peaks"))
    EXPECT_TRUE(p.at("period_error").is_number() || p.at("error").is_string()) << p.dump();
  EXPECT_TRUE(Json("--method lk --pmax 10 --pmin 5 --peaks 0").at("peaks").empty());
  const std::string boot = "--method lk --pmax 10 --pmin 0.3 --peaks 1 --bootstrap 50 --seed 4";
  const nlohmann::json b1 = Json(boot + " --threads 1"), b2 = Json(boot + " --threads 2");
  EXPECT_TRUE(b1.at("peaks")[0].at("period_error_bootstrap").is_number()) << b1.dump();
  EXPECT_EQ(b1.at("peaks")[0].at("period_error_bootstrap"),
            b2.at("peaks")[0].at("period_error_bootstrap"));
  // Without reshuffles the FAP is the analytic one.
  EXPECT_EQ(first.at("fap_method"), "analytic");
  EXPECT_TRUE(first.at("fap_low").is_null());
  const nlohmann::json f =
      Json("--method deeming --pmax 10 --pmin 0.3 --peaks 1 --fap-shuffles 19");
  const double fap = f.at("peaks")[0].at("fap").get<double>();
  EXPECT_EQ(f.at("peaks")[0].at("fap_method"), "reshuffled");
  EXPECT_GE(fap, 1.0 / 20);
  EXPECT_LE(fap, 1.0);
  EXPECT_LE(f.at("peaks")[0].at("fap_low").get<double>(), fap);
  EXPECT_NE(Search("--method lk --peaks 5000").exitCode, 0);
}

// The generalised Lomb-Scargle power is larger-better: the best list, the
// text's first row and the first peak all hold the largest power, at the
// sample star's period (the one every front end finds for it).
TEST(BatchSearchGls, SampleStarReportsTheLargestPowerFirst) {
  TempDir dir;
  const std::string args = "search --method gls --pmin 0.3 --pmax 1 " + ShellQuote(kSampleStar);
  const RunResult json = RunProgram(KORVEL_BATCH_PATH, args + " --json", dir);
  ASSERT_EQ(json.exitCode, 0) << json.err;
  const nlohmann::json j = nlohmann::json::parse(json.out);
  const nlohmann::json& best = j.at("best");
  ASSERT_EQ(best.size(), 20u);
  // Within one trial of the period every search finds for the sample star.
  EXPECT_LE(std::abs(best[0].at("freq").get<double>() - 1 / 0.5567809),
            j.at("freq_step").get<double>());
  for (size_t k = 1; k < best.size(); ++k)
    EXPECT_GE(best[k - 1].at("param").get<double>(), best[k].at("param").get<double>()) << k;
  EXPECT_EQ(j.at("peaks")[0].at("frequency"), best[0].at("freq"));
  EXPECT_EQ(j.at("spec_max"), best[0].at("param"));
  const RunResult text = RunProgram(KORVEL_BATCH_PATH, args, dir);
  ASSERT_EQ(text.exitCode, 0) << text.err;
  std::istringstream lines(text.out);
  std::string header, period;
  std::getline(lines, header);
  lines >> period;
  EXPECT_EQ(period, Str(best[0].at("period").get<double>(), 0, 7));
}

// A pdm peak's theta gets its false-alarm probability over the independent
// frequencies: tiny for a clear period, not small for noise; the other
// methods' peaks have no such key.
TEST_F(BatchSearch, PdmPeaksCarryTheFapOfTheirTheta) {
  const std::string grid = " --pmax 10 --pmin 2 --phase-shift 0.1 --peaks 1";
  const nlohmann::json signal = Json("--method pdm" + grid).at("peaks").at(0);
  EXPECT_GT(signal.at("fap_pdm").get<double>(), 0);
  EXPECT_LT(signal.at("fap_pdm").get<double>(), 1e-6) << signal.dump();
  EXPECT_FALSE(Json("--method lk" + grid).at("peaks").at(0).contains("fap_pdm"));
  EXPECT_NE(Search("--method pdm" + grid).out.find("False-alarm probability of the best theta"),
            std::string::npos);
  file_ = dir_.Write("noise.dat", SinusoidText(7));
  const nlohmann::json noise = Json("--method pdm" + grid).at("peaks").at(0);
  EXPECT_GT(noise.at("fap_pdm").get<double>(), 0.01) << noise.dump();
  EXPECT_LE(noise.at("fap_pdm").get<double>(), 1);
}

TEST_F(BatchSearch, OutOfRangeHarmonicsAreRefusedWithTheirRange) {
  const RunResult r = Search("--method lk --harmonics 0");
  EXPECT_NE(r.exitCode, 0);
  EXPECT_NE(r.err.find("--harmonics: Value 0 not in range 1 to 100"), std::string::npos) << r.err;
  EXPECT_EQ(r.out, "");
}

}  // namespace
}  // namespace korvel
