// Recorded outputs of korvel-batch: every command line below is run as a
// user would run it, in a fresh directory holding its inputs under relative
// names, and its exit code, stdout and the files it writes must equal, byte
// for byte, what tests/batch/recorded/ holds. They were recorded from a build
// before the search engines were reshaped into one pipeline, so any number
// the reshaping moves shows here.
//
// A deliberate change of output is re-recorded from the current build with
//   tests/batch/recorded/record.sh BUILD_DIR
// (it runs these tests with KORVEL_RECORD=1, which writes the files instead
// of failing); review the diff before committing it.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "batch_run.h"

namespace korvel {
namespace {

using testing::ReadFile;
using testing::RunProgram;
using testing::RunResult;
using testing::TempDir;

const std::filesystem::path kRecordedDir =
    std::filesystem::path(__FILE__).parent_path() / "recorded";

bool Recording() {
  const char* flag = std::getenv("KORVEL_RECORD");
  return flag != nullptr && std::string(flag) == "1";
}

// The inputs every case finds in its directory: the bundled sample star, and
// a few synthetic survey stars made by the survey generator in stars/.
void PrepareInputs(const TempDir& dir) {
  dir.Write("sample_star.dat", ReadFile(testing::kSampleStar));
  const RunResult made = RunProgram(KORVEL_MAKE_SURVEY_PATH, "stars 3", dir);
  ASSERT_EQ(made.exitCode, 0) << made.err;
}

// A name may serve several cases that must print the same: the first is
// recorded, byte for byte with its command lines; the others are compared
// with it without them, line for line in any order where only the order of
// the lines may change (a survey's rows come as the stars finish).
enum class Order { Same, Any };

struct Case {
  const char* name;                   // the recorded file: recorded/NAME.txt
  std::vector<std::string> commands;  // korvel-batch arguments, run in order
  std::vector<std::string> written;   // files the commands write, recorded after them
  Order order = Order::Same;
  bool stderrToo = false;  // refusals: their messages are part of what is recorded
};

const std::string kCommandMark = "=== korvel-batch ";

// One text holding everything a case produced, each part headed by lines
// that name it.
std::string RunCase(const Case& c, const TempDir& dir) {
  std::string text;
  for (const std::string& command : c.commands) {
    const RunResult r = RunProgram(KORVEL_BATCH_PATH, command, dir);
    text += kCommandMark + command + "\n=== exit " + std::to_string(r.exitCode) + "\n";
    text += r.out;
    if (c.stderrToo) text += "=== stderr\n" + r.err;
  }
  for (const std::string& file : c.written) {
    text += "=== file " + file + "\n";
    text += std::filesystem::exists(dir.File(file)) ? ReadFile(dir.File(file)) : "(missing)\n";
  }
  return text;
}

// Short grids: each search runs well under a second.
const std::string kLK =
    "search sample_star.dat --method lk --pmax 0.6 --pmin 0.5 --phase-shift 0.05";
const std::string kDeeming =
    "search sample_star.dat --method deeming --pmax 0.6 --pmin 0.5 --phase-shift 0.05";
const std::string kSecondary =
    "search sample_star.dat --method secondary --period 0.5568 --epoch 59000.59 "
    "--extremum-date 59000.75 --pmax 60 --pmin 5 --phase-shift 0.1";
const std::string kSurvey =
    "survey stars/star_0001.dat stars/star_0002.dat stars/star_0003.dat "
    "--methods lk,deeming,secondary --top 5 --pmin 0.3 --pmax 1 --phase-shift 0.5";
// The first nine nights of the sample star: small files to prewhiten and
// reshuffle.
const std::string kNights = "sample_star.dat --jd-max 59009";

const std::vector<Case>& Cases() {
  static const std::vector<Case> cases = {
      {"stats", {"stats sample_star.dat"}, {}},
      {"stats_json", {"stats sample_star.dat --json"}, {}},
      {"search_lk", {kLK}, {}},
      {"search_lk_json", {kLK + " --json"}, {}},
      {"search_lk_json", {kLK + " --json --threads 1"}, {}},
      {"search_lk_json", {kLK + " --json --threads 3"}, {}},
      // The same file whatever the threads.
      {"search_lk_threads", {kLK + " --threads 1"}, {}},
      {"search_lk_threads", {kLK + " --threads 2"}, {}},
      {"search_deeming", {kDeeming}, {}},
      {"search_deeming_json", {kDeeming + " --json"}, {}},
      {"search_deeming_json", {kDeeming + " --json --threads 1"}, {}},
      {"search_deeming_json", {kDeeming + " --json --threads 3"}, {}},
      {"search_deeming_window", {kDeeming + " --window"}, {}},
      {"search_deeming_spectrum_file",
       {"search " + kNights +
        " --method deeming --pmax 0.6 --pmin 0.5 --phase-shift 0.5 "
        "--spectrum-file spectrum.dat"},
       {"spectrum.dat"}},
      {"search_secondary_mode1", {kSecondary + " --mode 1"}, {}},
      {"search_secondary_mode1_json", {kSecondary + " --mode 1 --json"}, {}},
      {"search_secondary_mode2", {kSecondary + " --mode 2"}, {}},
      {"search_secondary_mode2_json", {kSecondary + " --mode 2 --json"}, {}},
      // About four trials: listed without placeholder rows.
      {"search_few_trials",
       {"search sample_star.dat --method lk --pmax 0.6 --pmin 0.5995 --phase-shift 0.05",
        "search sample_star.dat --method deeming --pmax 0.6 --pmin 0.5995 --phase-shift 0.05"},
       {}},
      {"refusals",
       {"search sample_star.dat --method lk --pmax 0.5 --pmin 0.6",
        "search sample_star.dat --method deeming --pmax 0.6 --pmin 0.5999 --phase-shift 0.5",
        "search sample_star.dat --method secondary --period 0 --pmax 60 --pmin 5",
        "search sample_star.dat --method lk --pmax 0.6 --pmin 0.5 --max-trials 10",
        "stats missing.dat", "wave sample_star.dat --period 0.5 --epoch 0 --points 1"},
       {},
       Order::Same,
       true},
      {"search_synthetic_star",
       {"search stars/star_0002.dat --method lk --pmax 1 --pmin 0.2 --phase-shift 0.2",
        "search stars/star_0002.dat --method deeming --pmax 1 --pmin 0.2 --phase-shift 0.2"},
       {}},
      {"wave",
       {"wave sample_star.dat --period 0.5567809 --epoch 59000.59 --points 25 "
        "--bin-length 0.1"},
       {}},
      {"wave_json", {"wave sample_star.dat --period 0.5567809 --epoch 59000.59 --json"}, {}},
      {"prewhiten_and_model",
       {"prewhiten " + kNights +
            " --period 0.5567809 --epoch 59000.59 --collect star.sup "
            "--residuals star.o",
        "prewhiten star.o --read-zeros --period 0.31 --epoch 59000 --points 20 --curve 2 "
        "--collect star.sup --residuals star2.o",
        "model star.sup --from 59000 --to 59001 --samples 11",
        "model star.sup --from 59000 --to 59000.5 --samples 3 --json"},
       {"star.sup", "star.o", "star2.o"}},
      {"reshuffle", {"reshuffle " + kNights + " --seed 7 -o shuffled.dat"}, {"shuffled.dat"}},
      {"survey", {kSurvey + " --jobs 1"}, {}},
      {"survey", {kSurvey + " --jobs 2"}, {}, Order::Any},
      {"survey_jsonl", {kSurvey + " --jobs 1 -o rows.jsonl"}, {"rows.jsonl"}},
  };
  return cases;
}

// The lines of a case's text without its command lines, sorted for Order::Any.
std::vector<std::string> Lines(const std::string& text, Order order) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    if (line.rfind(kCommandMark, 0) != 0) lines.push_back(line);
  if (order == Order::Any) std::sort(lines.begin(), lines.end());
  return lines;
}

class RecordedOutputs : public ::testing::TestWithParam<size_t> {};

TEST_P(RecordedOutputs, EqualTheRecordedFile) {
  const Case& c = Cases()[GetParam()];
  const std::filesystem::path recorded = kRecordedDir / (std::string(c.name) + ".txt");
  TempDir dir;
  std::string text;
  testing::InDirectory(dir.path(), [&] {
    PrepareInputs(dir);
    text = RunCase(c, dir);
  });
  ASSERT_FALSE(HasFatalFailure());

  bool first = true;
  for (size_t k = 0; k < GetParam(); ++k) first = first && std::string(Cases()[k].name) != c.name;
  if (Recording() && first) {
    std::ofstream(recorded, std::ios::binary) << text;
    return;
  }
  ASSERT_TRUE(std::filesystem::exists(recorded)) << recorded << ": run record.sh";
  const std::string expected = ReadFile(recorded.string());
  if (first)
    EXPECT_EQ(text, expected);
  else
    EXPECT_EQ(Lines(text, c.order), Lines(expected, c.order));
}

std::vector<size_t> CaseIndices() {
  std::vector<size_t> indices;
  for (size_t k = 0; k < Cases().size(); ++k) indices.push_back(k);
  return indices;
}

INSTANTIATE_TEST_SUITE_P(Recorded, RecordedOutputs, ::testing::ValuesIn(CaseIndices()),
                         [](const auto& info) {
                           return std::string(Cases()[info.param].name) + "_" +
                                  std::to_string(info.param);
                         });

}  // namespace
}  // namespace korvel
