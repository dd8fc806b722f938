// korvel-batch reshuffle, run as a program.

#include <gtest/gtest.h>

#include <algorithm>
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

std::vector<double> Sorted(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v;
}

class BatchReshuffle : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string text;
    for (int i = 1; i <= 50; ++i) text += ObservationLine(100 + i, 10 + 0.01 * i * i, 4) + "\r\n";
    in_ = dir_.Write("in.dat", text);
  }
  RunResult Reshuffle(const std::string& seed, const std::string& out) {
    return RunProgram(KORVEL_BATCH_PATH,
                      "reshuffle " + ShellQuote(in_) + " --seed " + seed + " -o " + ShellQuote(out),
                      dir_);
  }
  AnalysisState Load(const std::string& path) {
    AnalysisState s;
    EXPECT_FALSE(LoadObservations(s, path, ReadOptions{}));
    return s;
  }
  TempDir dir_;
  std::string in_;
};

TEST_F(BatchReshuffle, SameSeedSameFileKeepsDatesAndValues) {
  const RunResult a = Reshuffle("7", dir_.File("a.dat"));
  ASSERT_EQ(a.exitCode, 0) << a.err;
  EXPECT_EQ(a.out, "Reshuffled 1 time.\n");
  ASSERT_EQ(Reshuffle("7", dir_.File("b.dat")).exitCode, 0);
  EXPECT_EQ(testing::ReadFile(dir_.File("a.dat")), testing::ReadFile(dir_.File("b.dat")));
  ASSERT_EQ(Reshuffle("8", dir_.File("c.dat")).exitCode, 0);
  EXPECT_NE(testing::ReadFile(dir_.File("a.dat")), testing::ReadFile(dir_.File("c.dat")));

  const AnalysisState in = Load(in_), out = Load(dir_.File("a.dat"));
  ASSERT_EQ(out.NObs, in.NObs);
  EXPECT_EQ(out.JD, in.JD);
  EXPECT_NE(out.Mag, in.Mag);
  EXPECT_EQ(Sorted(out.Mag), Sorted(in.Mag));
  // The Save as... format, byte for byte.
  AnalysisState copy = out;
  WriteAllObservations(copy, dir_.File("again.dat"));
  EXPECT_EQ(testing::ReadFile(dir_.File("again.dat")), testing::ReadFile(dir_.File("a.dat")));
}

TEST_F(BatchReshuffle, UnwritableOutputFailsWithTheIoMessage) {
  const RunResult r = Reshuffle("1", dir_.File("no/such/dir/out.dat"));
  EXPECT_NE(r.exitCode, 0);
  EXPECT_NE(r.err.find("I/O error"), std::string::npos) << r.err;
  EXPECT_EQ(r.out, "");
}

TEST_F(BatchReshuffle, MalformedInputWritesNothing) {
  in_ = dir_.Write("bad.dat", "100 10\n101 1O\n102 12\n");
  const RunResult r = Reshuffle("1", dir_.File("out.dat"));
  EXPECT_NE(r.exitCode, 0);
  EXPECT_FALSE(std::filesystem::exists(dir_.File("out.dat")));
}

}  // namespace
}  // namespace korvel
