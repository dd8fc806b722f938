// korvel-batch against hostile input, run as a program: every case must end
// with its message and exit code, and leave every file in its directory as
// it was (compared byte for byte).

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <regex>
#include <string>
#include <vector>

#include "batch_run.h"

#if defined(__SANITIZE_ADDRESS__)
#define KORVEL_TEST_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KORVEL_TEST_ASAN 1
#endif
#endif

namespace korvel {
namespace {

using testing::ReadFile;
using testing::RunProgram;
using testing::RunResult;
using testing::ShellQuote;
using testing::TempDir;

namespace fs = std::filesystem;

struct Case {
  std::string args;  // after the program name; {star}, {collect}, {dir} are replaced
  int exitCode;
  std::vector<std::string> messages;  // each must appear on stderr
};

class BatchHostile : public ::testing::Test {
 protected:
  BatchHostile() {
    star_ = dir_.Write("star.dat", ReadFile(testing::kSampleStar));
    collect_ = dir_.Write("c.sup",
                          " 1  2     0.50000000     0.0000 first\r\n"
                          "0.250 10.0000 0.0010    12\r\n"
                          "0.750 11.0000 0.0010    12\r\n");
    dir_.Write("old.png", "old");
    dir_.Write("out.dat", "old");
  }

  std::string Expand(std::string text) const {
    for (const auto& [key, value] :
         std::map<std::string, std::string>{{"{star}", ShellQuote(star_)},
                                            {"{collect}", ShellQuote(collect_)},
                                            {"{dir}", dir_.path().string()}}) {
      for (size_t at; (at = text.find(key)) != std::string::npos;)
        text.replace(at, key.size(), value);
    }
    return text;
  }

  // Every file of the directory but the captured output, with its bytes.
  std::map<std::string, std::string> Files() const {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(dir_.path())) {
      const std::string name = entry.path().filename().string();
      if (entry.is_regular_file() && name != "stdout.txt" && name != "stderr.txt")
        files[entry.path().string()] = ReadFile(entry.path().string());
    }
    return files;
  }

  // timeout turns a hang into a failure (exit 124) instead of a stuck test.
  RunResult Batch(const std::string& args) {
    return RunProgram("timeout", "120 " + ShellQuote(KORVEL_BATCH_PATH) + " " + Expand(args), dir_);
  }

  // Runs each case and checks its exit code, its messages, and that no file
  // was written, changed or removed.
  void Expect(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
      const auto before = Files();
      const RunResult r = Batch(c.args);
      EXPECT_EQ(r.exitCode, c.exitCode) << c.args << "\n" << r.err;
      if (c.exitCode == 3) {
        EXPECT_EQ(r.out, "") << c.args;
      }
      for (const std::string& m : c.messages)
        EXPECT_NE(r.err.find(Expand(m)), std::string::npos) << c.args << "\n" << r.err;
      EXPECT_EQ(Files(), before) << c.args;
    }
  }

  static bool RendererBuilt() {
    TempDir dir;
    const RunResult r = RunProgram(KORVEL_BATCH_PATH,
                                   "plot " + ShellQuote(testing::kSampleStar) + " --view h -o " +
                                       ShellQuote(dir.File("h.png")),
                                   dir);
    return r.err.find("no picture renderer") == std::string::npos;
  }

  TempDir dir_;
  std::string star_, collect_;
};

TEST_F(BatchHostile, NumbersThatAreNotFiniteAreRefusedByEveryCommand) {
  const std::string lk = "search {star} --method lk ";
  const std::string secondary = "search {star} --method secondary --pmax 100 --pmin 10 ";
  const std::string wave = "wave {star} --period 0.5 --epoch 0 ";
  const std::string prewhiten = "prewhiten {star} --period 0.5 --epoch 0 --collect {collect} ";
  const std::string plot = "plot {star} -o {dir}/old.png --view ";
  // option, value, the rest of the command line
  const std::vector<std::vector<std::string>> rows = {
      {"--jd-min", "nan", "stats {star}"},
      {"--jd-max", "-inf", "stats {star} --json"},
      {"--pmax", "inf", lk},
      {"--pmin", "nan", lk},
      {"--phase-shift", "1e999", lk},
      {"--jd-max", "nan", "search {star} --method deeming"},
      {"--period", "nan", secondary},
      {"--epoch", "inf", secondary + "--period 3.7"},
      {"--extremum-date", "-inf", secondary + "--period 3.7"},
      {"--jd-min", "nan", "reshuffle {star} --seed 1 -o {dir}/out.dat"},
      {"--period", "inf", "wave {star} --epoch 0"},
      {"--epoch", "nan", "wave {star} --period 0.5"},
      {"--bin-length", "nan", wave},
      {"--jd-max", "inf", wave + "--json"},
      {"--period", "1e999", "prewhiten {star} --epoch 0 --collect {collect}"},
      {"--bin-length", "inf", prewhiten},
      {"--jd-min", "-inf", prewhiten + "--residuals {dir}/out.dat"},
      {"--from", "nan", "model {collect} --to 1"},
      {"--to", "inf", "model {collect} --from 0 --json"},
      {"--period", "inf", plot + "l"},
      {"--epoch", "nan", plot + "d --period 0.5"},
      {"--p2", "nan", plot + "s --period 0.5"},
      {"--extremum-date", "inf", plot + "n --period 0.5 --p2 30"},
      {"--bin-length", "nan", plot + "m --period 0.5"},
      {"--pmin", "-inf", plot + "l --search lk"},
      {"--phase-shift", "nan", plot + "d --search deeming"},
      {"--jd-max", "nan", plot + "t"},
  };
  std::vector<Case> cases;
  for (const auto& row : rows)
    cases.push_back({row[2] + " " + row[0] + " " + row[1],
                     3,
                     {row[0] + ": " + row[1] + " is not a finite number..."}});
  Expect(cases);
}

TEST_F(BatchHostile, RequestsTooLargeAreRefusedBeforeAnyWork) {
  const std::string tooMany = "trials, more than --max-trials 1000000000...";
  std::vector<Case> cases = {
      {"search {star} --method lk --phase-shift 1e-12", 3, {tooMany}},
      {"search {star} --method lk --pmin 1e-9 --json", 3, {tooMany}},
      {"search {star} --method deeming --pmin 1e-9 --spectrum-file {dir}/sp.dat", 3, {tooMany}},
      {"search {star} --method secondary --period 3.7 --phase-shift 1e-12", 3, {tooMany}},
      {"search {star} --method lk --max-trials 0",
       105,
       {"--max-trials: must be a whole number of 1 or more"}},
      {"model {collect} --from 0 --to 1 --samples 2147483647 --json",
       3,
       {"At most 10000000 samples..."}},
  };
  if (RendererBuilt()) {
    cases.push_back(
        {"plot {star} --view l --search lk --pmin 1e-9 -o {dir}/old.png", 3, {tooMany}});
    cases.push_back({"plot {star} --view d --search deeming --phase-shift 1e-12 -o {dir}/new.png",
                     3,
                     {tooMany}});
  }
  Expect(cases);

  // The count given is the grid's: the period range in frequency over the
  // step, the phase shift divided by the time span of the star.
  const RunResult r = Batch("search {star} --method lk --phase-shift 1e-12");
  std::smatch count;
  ASSERT_TRUE(std::regex_search(r.err, count, std::regex("would make ([0-9]+) trials"))) << r.err;
  const double span = 59149.3892 - 59000.5899;
  EXPECT_NEAR(std::stod(count[1]), (1 - 1.0 / 100) * span / 1e-12, 1e3);
}

TEST_F(BatchHostile, MaxTrialsIsTheExactNumberOfTrialsAllowed) {
  for (const std::string method : {"lk --pmax 10 --pmin 5", "deeming --pmax 10 --pmin 5",
                                   "secondary --period 0.5568 --pmax 60 --pmin 5 --mode 2"}) {
    const std::string search = "search {star} --json --method " + method;
    const RunResult free = Batch(search);
    ASSERT_EQ(free.exitCode, 0) << free.err;
    const int64_t trials = nlohmann::json::parse(free.out).at("trials");
    ASSERT_GT(trials, 100) << method;
    const RunResult exact = Batch(search + " --max-trials " + std::to_string(trials));
    EXPECT_EQ(exact.exitCode, 0) << exact.err;
    EXPECT_EQ(exact.out, free.out) << method;
    Expect({{search + " --max-trials " + std::to_string(trials - 1),
             3,
             {"The search would make " + std::to_string(trials) +
              " trials, more than --max-trials " + std::to_string(trials - 1) + "..."}}});
  }
}

TEST_F(BatchHostile, HostileFilesEndWithTheFileTheLineAndTheMessage) {
  dir_.Write("bad.dat", "100 10.0\r\n101 11.0\r\n102 1O.5\r\n103 12.0\r\n");
  dir_.Write("odd.dat", "100 10\r\n101\r\n11\r\n102 1" + std::string(70, '0') +
                            "\r\n\x01\x02"
                            "103 12\r\n104 13\r\n");
  dir_.Write("bad.sup", " 1 2147483647 1e308 -1e308 x\r\n0.5 10\r\n0.7 1,5\r\n");
  // Values a collecting file can hold but no star has: the model is computed
  // without a fault, whatever it gives.
  dir_.Write("crafted.sup",
             " 1 2147483647 1e-320 -1e308 x\r\n0.5 10\r\n 2 -5 0 0 y\r\n"
             " 3 2 1e308 1e-308 z\r\n0.2 1e308\r\n0.9 -1e308\r\n");
  const std::string zeros = "/dev/zero:1: warning: control characters were skipped (1048577";
  std::vector<Case> cases = {
      {"stats /dev/zero", 1, {zeros, "/dev/zero:1: Invalid numeric input"}},
      {"stats {dir}/bad.dat --json", 1, {"{dir}/bad.dat:3: Invalid numeric input"}},
      {"reshuffle {dir}/bad.dat --seed 1 -o {dir}/out.dat",
       1,
       {"bad.dat:3: Invalid numeric input", "Nothing written"}},
      {"prewhiten {dir}/bad.dat --period 0.5 --epoch 0 --collect {collect}",
       1,
       {"bad.dat:3: Invalid numeric input", "Nothing written"}},
      {"model {dir}/bad.sup --from 0 --to 1", 1, {"{dir}/bad.sup:3: Invalid numeric input"}},
      {"stats {dir}/odd.dat",
       0,
       {"odd.dat:2: warning: values missing on a line were taken from the next line (1 line,",
        "odd.dat:4: warning: a number longer than 64 characters was read as two (1 number,",
        "odd.dat:5: warning: control characters were skipped (2 characters,"}},
      {"model {dir}/crafted.sup --from -1e300 --to 1e300 --samples 5", 0, {}},
  };
  Expect(cases);
  if (RendererBuilt()) {
    TempDir pictures;
    const RunResult r = Batch("plot {star} --view t --model {dir}/crafted.sup -o " +
                              ShellQuote(pictures.File("model.png")));
    EXPECT_EQ(r.exitCode, 0) << r.err;
  }
  const RunResult j = Batch("stats {dir}/odd.dat --json");
  EXPECT_EQ(nlohmann::json::parse(j.out).at("warnings"),
            nlohmann::json::parse(R"([{"kind":"continued_line","count":1,"first_line":2},
                                      {"kind":"split_token","count":1,"first_line":4},
                                      {"kind":"control_character","count":2,"first_line":5}])"));
}

TEST_F(BatchHostile, PrewhiteningNeverWritesOverItsInput) {
  fs::create_symlink(star_, dir_.File("link.dat"));
  const std::string elements = "prewhiten {star} --period 0.5568 --epoch 59000 ";
  Expect({
      {elements + "--collect {star}", 3, {"The collecting file cannot be the observation file"}},
      {elements + "--residuals {dir}/./star.dat",
       3,
       {"The residual file cannot be the observation file"}},
      {elements + "--collect {dir}/link.dat",
       3,
       {"The collecting file cannot be the observation file"}},
      {elements + "--collect {collect} --residuals {dir}/no/dir/star.o", 4, {"I/O error"}},
  });
}

TEST_F(BatchHostile, RunningOutOfMemoryEndsWithAMessageNotAnAbort) {
#ifdef KORVEL_TEST_ASAN
  GTEST_SKIP() << "AddressSanitizer's operator new aborts instead of throwing std::bad_alloc, and "
                  "its shadow memory does not start under a virtual-memory limit";
#else
  // An endless observation file under a limit of 250 MB: the arrays of
  // observations outgrow it. The same command on the star fits.
  const std::string limit = "ulimit -v 250000; ";
  const std::string batch = ShellQuote(KORVEL_BATCH_PATH);
  const RunResult fits =
      RunProgram("sh", "-c " + ShellQuote(limit + batch + " stats " + ShellQuote(star_)), dir_);
  ASSERT_EQ(fits.exitCode, 0) << fits.err;
  const RunResult r = RunProgram(
      "sh", "-c " + ShellQuote(limit + "yes '1 1' | exec " + batch + " stats /dev/stdin"), dir_);
  EXPECT_EQ(r.exitCode, 5);
  EXPECT_EQ(r.err, "Out of memory\n");
  EXPECT_EQ(r.out, "");
  if (!RendererBuilt()) return;
  // A picture of 10000 x 10000 pixels (400 MB) under a limit that a
  // picture of 1000 x 1000 fits in.
  const std::string plot = "ulimit -v 400000; " + batch + " plot " + ShellQuote(star_) +
                           " --view t -o " + ShellQuote(dir_.File("big.png"));
  const RunResult small =
      RunProgram("sh", "-c " + ShellQuote(plot + " --width 1000 --height 1000"), dir_);
  ASSERT_EQ(small.exitCode, 0) << small.err;
  const RunResult big =
      RunProgram("sh", "-c " + ShellQuote(plot + " --width 10000 --height 10000"), dir_);
  EXPECT_EQ(big.exitCode, 5);
  EXPECT_EQ(big.err, "Out of memory\n");
#endif
}

// Outputs are written through symlinks and into devices, never by replacing
// them; a pipe nobody reads is refused instead of waited on for ever.
TEST_F(BatchHostile, OutputsNeverReplaceLinksDevicesOrPipes) {
  fs::create_symlink("/dev/null", dir_.File("null.o"));
  fs::create_symlink("/dev/full", dir_.File("full.o"));
  fs::create_symlink("real.o", dir_.File("link.o"));
  ASSERT_EQ(std::system(("mkfifo " + ShellQuote(dir_.File("pipe.o"))).c_str()), 0);
  const std::string prewhiten =
      "prewhiten {star} --period 0.5568 --epoch 59000 --collect {collect} --residuals ";
  const RunResult toNull = Batch(prewhiten + "{dir}/null.o");
  EXPECT_EQ(toNull.exitCode, 0) << toNull.err;
  Expect({
      {prewhiten + "{dir}/full.o", 4, {"full.o: cannot be written: No space left on device"}},
      {prewhiten + "{dir}/pipe.o", 4, {"pipe.o: cannot be written: no program reads the pipe"}},
      {"reshuffle {star} --seed 1 -o {dir}", 4, {": cannot be written: it is a directory"}},
  });
  const RunResult toLink = Batch("reshuffle {star} --seed 1 -o {dir}/link.o");
  EXPECT_EQ(toLink.exitCode, 0) << toLink.err;
  EXPECT_EQ(ReadFile(dir_.File("real.o")).size(), ReadFile(star_).size());
  for (const char* name : {"null.o", "full.o", "link.o"})
    EXPECT_TRUE(fs::is_symlink(dir_.File(name))) << name;
  EXPECT_TRUE(fs::is_fifo(dir_.File("pipe.o")));
  if (RendererBuilt()) {
    // A picture piped to a reader arrives whole.
    const std::string pipe = ShellQuote(dir_.File("pipe.png"));
    const RunResult piped =
        RunProgram("sh",
                   "-c " + ShellQuote("mkfifo " + pipe + "; cat " + pipe + " > " +
                                      ShellQuote(dir_.File("got.png")) + " & " +
                                      ShellQuote(KORVEL_BATCH_PATH) + " plot " + ShellQuote(star_) +
                                      " --view t -o " + pipe + "; s=$?; wait; exit $s"),
                   dir_);
    EXPECT_EQ(piped.exitCode, 0) << piped.err;
    EXPECT_EQ(ReadFile(dir_.File("got.png")).substr(0, 4), "\x89PNG");
  }
}

TEST_F(BatchHostile, AnOutputThatIsAnInputIsRefused) {
  fs::create_symlink(star_, dir_.File("link.dat"));
  dir_.Write("star.png", ReadFile(star_));
  std::vector<Case> cases = {
      {"reshuffle {star} --seed 1 -o {dir}/./star.dat", 3, {"is also an input of the command"}},
      {"reshuffle {star} --seed 1 -o {dir}/link.dat", 3, {"is also an input of the command"}},
      {"search {star} --method deeming --spectrum-file {star}",
       3,
       {"is also an input of the command"}},
  };
  if (RendererBuilt())
    cases.push_back(
        {"plot {dir}/star.png --view t -o {dir}/star.png", 3, {"is also an input of the command"}});
  Expect(cases);
}

TEST_F(BatchHostile, UnwritableStdoutExitsFour) {
  for (const std::string command :
       {"stats {star}", "search {star} --method lk --pmax 1 --pmin 0.5",
        "search {star} --method deeming --pmax 1 --pmin 0.5 --json",
        "wave {star} --period 0.5568 --epoch 59000", "model {collect} --from 0 --to 1",
        "reshuffle {star} --seed 1 -o {dir}/shuffled.dat"}) {
    const RunResult r = RunProgram(
        "sh",
        "-c " + ShellQuote(ShellQuote(KORVEL_BATCH_PATH) + " " + Expand(command) + " >/dev/full"),
        dir_);
    EXPECT_EQ(r.exitCode, 4) << command << "\n" << r.err;
    EXPECT_NE(r.err.find("stdout: cannot be written"), std::string::npos) << command;
  }
}

// A phase shift that jumps over the whole range is refused; a search of a
// few trials lists those, never placeholder rows.
TEST_F(BatchHostile, SearchesOfNoOrFewTrialsListOnlyTrialsMade) {
  Expect({{"search {star} --method lk --phase-shift 1e20", 3, {"no trial would be made"}},
          {"search {star} --method deeming --phase-shift 1e20 --json",
           3,
           {"no trial would be made"}}});
  const RunResult text = Batch("search {star} --method lk --phase-shift 45");
  ASSERT_EQ(text.exitCode, 0) << text.err;
  // The header, the four trials from 100 d on, the status.
  EXPECT_EQ(std::count(text.out.begin(), text.out.end(), '\n'), 6) << text.out;
  EXPECT_EQ(text.out.find(" 0.0000000 "), std::string::npos) << text.out;
  const RunResult json = Batch("search {star} --method deeming --phase-shift 45 --json");
  ASSERT_EQ(json.exitCode, 0) << json.err;
  const auto j = nlohmann::json::parse(json.out);
  EXPECT_EQ(j.at("trials"), 4);
  ASSERT_EQ(j.at("best").size(), 4u);
  for (const auto& entry : j.at("best")) EXPECT_GT(entry.at("period").get<double>(), 1);
}

TEST_F(BatchHostile, MessagesNameTheFileAndTheReason) {
  Expect({
      {"stats {dir}", 2, {"is a directory, not an observation file"}},
      {"reshuffle {star} --seed 1 -o {dir}/no/dir/out.dat",
       4,
       {"{dir}/no/dir/out.dat: cannot be written: No such file or directory (I/O error 3)"}},
      {"prewhiten {star} --period 0.5568 --epoch 59000 --residuals {dir}/no/star.o",
       4,
       {"{dir}/no/star.o: cannot be written: No such file or directory"}},
  });
}

}  // namespace
}  // namespace korvel
