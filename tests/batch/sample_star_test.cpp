// The bundled sample star: that it loads as a season of observations, that
// default.cfg describes it, and that the generator in the tree still writes
// exactly the committed files. And the synthetic survey's generator.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <sstream>
#include <string>
#include <utility>

#include "batch_run.h"
#include "core/analysis_state.h"
#include "core/numeric.h"
#include "io/observation_file.h"
#include "io/text_reader.h"

namespace korvel {
namespace {

using testing::ReadFile;
using testing::RunProgram;
using testing::RunResult;
using testing::ShellQuote;
using testing::TempDir;

const std::string kSamples = KORVEL_SAMPLES_DIR;

TEST(SampleStar, LoadsAsOneSeasonInAscendingOrder) {
  AnalysisState s;
  ASSERT_FALSE(LoadObservations(s, kSamples + "/sample_star.dat", ReadOptions{}));
  EXPECT_GE(s.NObs, 2500);
  EXPECT_LE(s.NObs, 4000);
  for (int32_t i = 2; i <= s.NObs; ++i) ASSERT_LT(s.JD[i - 1], s.JD[i]) << "at " << i;
  EXPECT_GT(s.JD[1], 0);
  EXPECT_LT(s.JD[s.NObs], 1000000);
  EXPECT_LT(s.JD[s.NObs] - s.JD[1], 200);
  EXPECT_NEAR(s.MagMean, 12.5, 0.3);
}

TEST(SampleStar, IsWrittenInTheSaveAsFormat) {
  const std::string text = ReadFile(kSamples + "/sample_star.dat");
  ASSERT_FALSE(text.empty());
  size_t lines = 0;
  for (size_t pos = 0; pos < text.size(); pos += 20, ++lines) {
    // Date 10.4, a blank, magnitude 7.4, CR LF.
    ASSERT_LE(pos + 20, text.size());
    ASSERT_EQ(text.substr(pos + 18, 2), "\r\n") << "line " << lines + 1;
    ASSERT_EQ(text[pos + 10], ' ');
    ASSERT_EQ(text[pos + 5], '.');
    ASSERT_EQ(text[pos + 13], '.');
  }
  EXPECT_GE(lines, 2500u);
}

TEST(SampleStar, DefaultCfgHoldsElementsThatFitTheData) {
  TextReader cfg = TextReader::FromFile(kSamples + "/default.cfg");
  EXPECT_EQ(cfg.ReadLineText(), "");
  EXPECT_EQ(cfg.ReadLineText(), "sample_star.dat");
  const double period = cfg.ReadReal();
  cfg.ReadLine();
  const double epoch = cfg.ReadReal();
  cfg.ReadLine();
  const double p2 = cfg.ReadReal();
  cfg.ReadLine();
  const double extrDate = cfg.ReadReal();
  cfg.ReadLine();
  EXPECT_EQ(cfg.ReadInt(), 8);

  AnalysisState s;
  ASSERT_FALSE(LoadObservations(s, kSamples + "/sample_star.dat", ReadOptions{}));
  EXPECT_GT(p2, 30 * period);
  EXPECT_GE(epoch, s.JD[1]);
  EXPECT_LT(epoch, s.JD[1] + period);
  EXPECT_GT(extrDate, s.JD[1]);
  EXPECT_LT(extrDate, s.JD[s.NObs]);

  // Folded with these elements, the star is bright near phase 0 and faint
  // in the middle of the decline; with a period off by 1 % the phases smear.
  const auto meanNearPhase = [&s, epoch](double p, double centre) {
    double sum = 0;
    int n = 0;
    for (int32_t i = 1; i <= s.NObs; ++i) {
      const double x = (s.JD[i] - epoch) / p;
      double d = Frac(x) - centre;
      d -= std::round(d);
      if (std::abs(d) < 0.04) sum += s.Mag[i], ++n;
    }
    return n > 0 ? sum / n : 0.0;
  };
  EXPECT_LT(meanNearPhase(period, 0.0), s.MagMean - 0.3);
  EXPECT_GT(meanNearPhase(period, 0.7), s.MagMean + 0.1);
  EXPECT_GT(meanNearPhase(period * 1.01, 0.0), s.MagMean - 0.2);
}

TEST(SampleStar, GeneratorReproducesTheCommittedFiles) {
  TempDir dir;
  const std::string dat = dir.File("sample_star.dat");
  const std::string cfg = dir.File("default.cfg");
  const RunResult r =
      RunProgram(KORVEL_MAKE_SAMPLE_PATH, ShellQuote(dat) + " " + ShellQuote(cfg), dir);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  // Compared as strings so that a difference does not print megabytes.
  const std::string made = ReadFile(dat);
  const std::string committed = ReadFile(kSamples + "/sample_star.dat");
  EXPECT_EQ(made.size(), committed.size());
  EXPECT_TRUE(made == committed) << "sample_star.dat differs from the generator's output";
  EXPECT_EQ(ReadFile(cfg), ReadFile(kSamples + "/default.cfg"));
}

// The survey is reproducible, each star is the same whatever the number of
// stars, every file loads as a survey light curve in ascending order, and
// the truth table names each file with its observation count.
TEST(SyntheticSurvey, StarsAreReproducibleLoadableAndListedInTheTruthTable) {
  TempDir dir;
  const std::string many = dir.File("many"), again = dir.File("again"), few = dir.File("few");
  for (const auto& [out, stars] : {std::pair{many, 30}, {again, 30}, {few, 3}}) {
    const RunResult r = RunProgram(KORVEL_MAKE_SURVEY_PATH,
                                   ShellQuote(out) + " " + std::to_string(stars) + " 7", dir);
    ASSERT_EQ(r.exitCode, 0) << r.err;
  }
  EXPECT_EQ(ReadFile(many + "/truth.csv"), ReadFile(again + "/truth.csv"));
  EXPECT_EQ(ReadFile(many + "/star_0003.dat"), ReadFile(few + "/star_0003.dat"));

  std::istringstream truth(ReadFile(many + "/truth.csv"));
  std::string line;
  std::getline(truth, line);
  EXPECT_EQ(line, "file,type,period,amplitude,noise,nobs");
  int rows = 0;
  while (std::getline(truth, line)) {
    ++rows;
    std::istringstream fields(line);
    std::string file, type, period, amplitude, noise, nobs;
    for (std::string* f : {&file, &type, &period, &amplitude, &noise, &nobs})
      std::getline(fields, *f, ',');
    EXPECT_EQ(ReadFile(many + "/" + file), ReadFile(again + "/" + file)) << file;
    AnalysisState s;
    ASSERT_FALSE(LoadObservations(s, many + "/" + file, ReadOptions{})) << file;
    EXPECT_EQ(s.NObs, std::stoi(nobs)) << file;
    EXPECT_GE(s.NObs, 40) << file;
    EXPECT_LE(s.NObs, 250) << file;
    for (int32_t i = 2; i <= s.NObs; ++i) ASSERT_LT(s.JD[i - 1], s.JD[i]) << file;
    EXPECT_GT(s.JD[s.NObs] - s.JD[1], 5 * 365) << file;  // seasons of several years
    const double p = std::stod(period);
    if (type == "constant")
      EXPECT_EQ(p, 0) << file;
    else
      EXPECT_TRUE(p >= 0.2 && p <= 1.0) << file << " " << p;
    const double sigma = std::stod(noise);
    EXPECT_TRUE(sigma >= 0.01 && sigma <= 0.05) << file;
  }
  EXPECT_EQ(rows, 30);
}

// --observations sets the mean number of observations; a bad one is refused.
TEST(SyntheticSurvey, ObservationsSetTheMeanCount) {
  TempDir dir;
  const RunResult r = RunProgram(KORVEL_MAKE_SURVEY_PATH,
                                 "--observations 57 " + ShellQuote(dir.File("s")) + " 60 5", dir);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  std::istringstream truth(ReadFile(dir.File("s") + "/truth.csv"));
  std::string line;
  std::getline(truth, line);
  double sum = 0;
  int rows = 0;
  for (; std::getline(truth, line); ++rows) sum += std::stod(line.substr(line.rfind(',') + 1));
  ASSERT_EQ(rows, 60);
  EXPECT_NEAR(sum / rows, 57, 4);
  for (const char* bad : {"--observations 2 out", "--observations x out", "--observations"})
    EXPECT_EQ(RunProgram(KORVEL_MAKE_SURVEY_PATH, bad, dir).exitCode, 2) << bad;
}

}  // namespace
}  // namespace korvel
