// korvel-batch on the archives' formats, run as a program: what it read is
// reported, a band is chosen, a file it cannot read is refused whole, a
// plain file is read as it always was, and every file of
// korvel-make-format-samples gives its star's period back.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <iterator>
#include <nlohmann/json.hpp>
#include <string>

#include "batch_run.h"
#include "format_samples.h"

namespace korvel {
namespace {

using testing::RunProgram;
using testing::RunResult;
using testing::ShellQuote;
using testing::TempDir;

class BatchFormats : public ::testing::Test {
 protected:
  BatchFormats() : sample_(testing::FormatSamples(testing::MakeSampleStar()).front()) {
    csv_ = dir_.Write(sample_.name, sample_.content);
  }

  RunResult Stats(const std::string& file, const std::string& options) {
    return RunProgram(KORVEL_BATCH_PATH, "stats --json " + ShellQuote(file) + " " + options, dir_);
  }

  // The JSON of a run that must succeed; a parse failure fails the test.
  nlohmann::json StatsJson(const std::string& file, const std::string& options = "") {
    const RunResult r = Stats(file, options);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    return nlohmann::json::parse(r.out);
  }

  // What the reader must make of one band of the sample, as stats reports it.
  void ExpectBand(const nlohmann::json& j, const std::string& band) {
    const testing::SampleCounts& c = sample_.expect.at(band);
    EXPECT_EQ(j.at("format"), "csv");
    EXPECT_EQ(j.at("band"), band);
    EXPECT_EQ(j.at("time_system"), "JD");
    EXPECT_EQ(j.at("nobs"), c.kept);
    EXPECT_EQ(j.at("rows_read"), c.read);
    EXPECT_EQ(j.at("rows_dropped"), nlohmann::json(c.dropped));
    EXPECT_NEAR(j.at("jd_min").get<double>(), c.firstJd, 1e-6);
  }

  TempDir dir_;
  testing::SampleFile sample_;
  std::string csv_;
};

TEST_F(BatchFormats, CsvIsRecognisedAndItsDropsReported) {
  const RunResult r = Stats(csv_, "");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  ExpectBand(nlohmann::json::parse(r.out), "g");
  // One warning line names the file and says what was dropped.
  EXPECT_NE(r.err.find(csv_ + ": warning: CSV g: "), std::string::npos) << r.err;
  // Naming the format gives the same reading.
  EXPECT_EQ(StatsJson(csv_, "--format csv"), nlohmann::json::parse(r.out));
}

TEST_F(BatchFormats, BandOptionAndJdWindowChooseTheObservations) {
  ExpectBand(StatsJson(csv_, "--band r"), "r");
  // The window applies to the dates read, as it does to a plain file's.
  const nlohmann::json all = StatsJson(csv_, "--band r");
  const double middle = (all.at("jd_min").get<double>() + all.at("jd_max").get<double>()) / 2;
  const nlohmann::json half = StatsJson(csv_, "--band r --jd-min " + std::to_string(middle));
  EXPECT_GT(half.at("nobs"), 0);
  EXPECT_LT(half.at("nobs"), all.at("nobs"));
  EXPECT_GE(half.at("jd_min").get<double>(), middle);
}

TEST_F(BatchFormats, UnreadableInputIsRefusedWithItsReason) {
  const std::string bad = dir_.Write("bad.csv", "JD,Mag\n2459000.5,12.1\n2459001.5,\"12.2\n");
  RunResult r = Stats(bad, "");
  EXPECT_EQ(r.exitCode, 3);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find(bad + ":3: a quote that does not close"), std::string::npos) << r.err;

  r = Stats(csv_, "--band nosuch");
  EXPECT_EQ(r.exitCode, 3);
  EXPECT_NE(r.err.find("no band \"nosuch\""), std::string::npos) << r.err;

  // The plain format's own options would be silently ignored: refused.
  r = Stats(csv_, "--column 2");
  EXPECT_EQ(r.exitCode, 3);
  EXPECT_NE(r.err.find("--column and --read-zeros apply to plain files only"), std::string::npos)
      << r.err;

  // An unknown format is a bad option, refused before anything is read.
  r = Stats(csv_, "--format nosuch");
  EXPECT_NE(r.exitCode, 0);
  EXPECT_NE(r.err.find("Unknown format \"nosuch\""), std::string::npos) << r.err;
}

TEST_F(BatchFormats, PlainFileReportsItsObservationsAsRowsRead) {
  const nlohmann::json j = StatsJson(testing::kSampleStar);
  EXPECT_EQ(j.at("format"), "plain");
  EXPECT_TRUE(j.at("band").is_null());
  EXPECT_EQ(j.at("time_system"), "JD");
  EXPECT_GT(j.at("nobs"), 0);
  EXPECT_EQ(j.at("rows_read"), j.at("nobs"));
  EXPECT_EQ(j.at("rows_dropped"), nlohmann::json::object());
  // Detected as plain or named so, the reading is the same.
  EXPECT_EQ(StatsJson(testing::kSampleStar, "--format plain"), j);
}

// Acceptance of the formats: the generator's files, each read by stats as
// its archive means it and searched for the star's period.
TEST(BatchFormatSamples, EveryGeneratedFileIsReadAsItsFormatAndGivesThePeriodBack) {
  const TempDir dir;
  const std::string out = dir.File("samples");
  const RunResult made = RunProgram(KORVEL_MAKE_FORMAT_SAMPLES_PATH, ShellQuote(out), dir);
  ASSERT_EQ(made.exitCode, 0) << made.err;
  const testing::SampleStar star = testing::MakeSampleStar();
  const std::vector<testing::SampleFile> samples = testing::AllFormatSamples(star);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(out), {}),
            static_cast<std::ptrdiff_t>(samples.size()));
  for (const testing::SampleFile& f : samples) {
    SCOPED_TRACE(f.name);
    const std::string file = ShellQuote(out + "/" + f.name);
    // The default band is the one with most usable rows: the first written.
    const std::string& band = f.bands.front();
    const testing::SampleCounts& want = f.expect.at(band);
    RunResult r = RunProgram(KORVEL_BATCH_PATH, "stats --json " + file, dir);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const nlohmann::json stats = nlohmann::json::parse(r.out);
    EXPECT_EQ(stats.at("format"), ObservationFormatName(f.format));
    EXPECT_EQ(stats.at("band"), band.empty() ? nlohmann::json() : nlohmann::json(band));
    EXPECT_EQ(stats.at("time_system"), f.timeSystem);
    EXPECT_EQ(stats.at("rows_read"), want.read);
    EXPECT_EQ(stats.at("rows_dropped"), nlohmann::json(want.dropped));
    EXPECT_EQ(stats.at("nobs"), want.kept);

    r = RunProgram(KORVEL_BATCH_PATH, "search --json --method lk --pmin 0.5 --pmax 0.75 " + file,
                   dir);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const nlohmann::json search = nlohmann::json::parse(r.out);
    const double freq = search.at("best")[0].at("freq").get<double>();
    EXPECT_LE(std::abs(freq - 1 / star.period), search.at("freq_step").get<double>())
        << "best period " << 1 / freq;
  }
}

}  // namespace
}  // namespace korvel
