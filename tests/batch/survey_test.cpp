// korvel-batch survey, run as a program on a small synthetic survey: its rows
// must be the numbers korvel-batch search prints for each star, whatever the
// threads; bad stars get an error row; a survey killed midway and resumed
// writes the rows of an uninterrupted one.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "batch_run.h"
#include "core/analysis_state.h"
#include "io/observation_file.h"

namespace korvel {
namespace {

using testing::ReadFile;
using testing::RunProgram;
using testing::RunResult;
using testing::ShellQuote;
using testing::TempDir;

// A grid of a few thousand trials per star keeps each search to milliseconds.
const std::string kGrid = "--pmin 0.3 --pmax 1 --phase-shift 0.5";

using Row = std::map<std::string, std::string>;

// An independent reader of the CSV the survey writes: quoted fields with
// doubled quotes, records ended by a line end outside quotes.
std::vector<std::vector<std::string>> CsvRecords(const std::string& text) {
  std::vector<std::vector<std::string>> records(1, std::vector<std::string>(1));
  bool quoted = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"' && quoted && i + 1 < text.size() && text[i + 1] == '"') {
      records.back().back() += '"';
      ++i;
    } else if (c == '"') {
      quoted = !quoted;
    } else if (c == ',' && !quoted) {
      records.back().emplace_back();
    } else if (c == '\n' && !quoted) {
      records.emplace_back(1);
    } else {
      records.back().back() += c;
    }
  }
  records.pop_back();  // after the last line end
  return records;
}

std::vector<Row> CsvRows(const std::string& text) {
  const auto records = CsvRecords(text);
  std::vector<Row> rows;
  for (size_t r = 1; r < records.size(); ++r) {
    EXPECT_EQ(records[r].size(), records[0].size()) << "record " << r;
    Row row;
    for (size_t i = 0; i < records[0].size() && i < records[r].size(); ++i)
      row[records[0][i]] = records[r][i];
    rows.push_back(row);
  }
  return rows;
}

std::multiset<std::string> RecordSet(const std::string& text) {
  std::multiset<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.insert(line);
  return lines;
}

double Number(const std::string& text) {
  EXPECT_FALSE(text.empty());
  return std::strtod(text.c_str(), nullptr);
}

class Survey : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new TempDir;
    const RunResult made =
        RunProgram(KORVEL_MAKE_SURVEY_PATH, ShellQuote(dir_->File("stars")) + " 12 11", *dir_);
    ASSERT_EQ(made.exitCode, 0) << made.err;
  }
  static void TearDownTestSuite() { delete dir_; }

  static std::string Star(int k) {
    char name[32];
    std::snprintf(name, sizeof name, "stars/star_%04d.dat", k);
    return dir_->File(name);
  }
  static std::string Stars(int first, int last) {
    std::string names;
    for (int k = first; k <= last; ++k) names.append(1, ' ') += ShellQuote(Star(k));
    return names;
  }
  static RunResult Batch(const std::string& args) {
    return RunProgram(KORVEL_BATCH_PATH, args, *dir_);
  }

  static TempDir* dir_;
};

TempDir* Survey::dir_ = nullptr;

// Every number of a row is the number korvel-batch search --json prints for
// that star and method, bit for bit, with one thread or seven (so that the searches get spare
// threads); the secondary period folds on the star's own best Lafler-Kinman period; JSON lines hold
// the same values as CSV.
TEST_F(Survey, RowsEqualSearchOfEachStarWhateverTheThreads) {
  const std::string common = Stars(1, 3) + " --methods lk,deeming,secondary --top 20 " + kGrid;
  const RunResult csv = Batch("survey --jobs 1" + common);
  ASSERT_EQ(csv.exitCode, 0) << csv.err;
  const std::vector<Row> rows = CsvRows(csv.out);
  ASSERT_EQ(rows.size(), 9u);
  const std::string jsonl = dir_->File("rows.jsonl");
  const RunResult threaded = Batch("survey --jobs 7 -o " + ShellQuote(jsonl) + common);
  ASSERT_EQ(threaded.exitCode, 0) << threaded.err;

  std::map<std::pair<std::string, std::string>, nlohmann::json> objects;
  std::istringstream lines(ReadFile(jsonl));
  for (std::string line; std::getline(lines, line);) {
    const auto j = nlohmann::json::parse(line);
    objects[{j.at("file"), j.at("method")}] = j;
  }
  ASSERT_EQ(objects.size(), 9u);

  std::string lkPeriod;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.at("file") + " " + row.at("method"));
    const std::string method = row.at("method");
    EXPECT_EQ(row.at("error"), "");
    std::string options = "--method " + method + " " + kGrid;
    if (method == "lk") lkPeriod = row.at("period_1");
    if (method == "secondary") options += " --period " + lkPeriod;
    const RunResult searched = Batch("search --json " + ShellQuote(row.at("file")) + " " + options);
    ASSERT_EQ(searched.exitCode, 0) << searched.err;
    const auto j = nlohmann::json::parse(searched.out);
    const nlohmann::json& object = objects.at({row.at("file"), method});

    AnalysisState s;
    ASSERT_FALSE(LoadObservations(s, row.at("file"), ReadOptions{}));
    EXPECT_EQ(std::stoi(row.at("nobs")), s.NObs);
    EXPECT_EQ(Number(row.at("span")), s.JD[s.NObs] - s.JD[1]);
    EXPECT_EQ(std::stoll(row.at("trials")), j.at("trials").get<int64_t>());
    EXPECT_GT(j.at("trials").get<int64_t>(), 1000);
    EXPECT_EQ(object.at("trials"), j.at("trials"));
    for (int k = 1; k <= 20; ++k) {
      const auto& b = j.at("best")[k - 1];
      const std::string n = std::to_string(k);
      EXPECT_EQ(Number(row.at("period_" + n)), b.at("period").get<double>()) << k;
      EXPECT_EQ(Number(row.at("statistic_" + n)), b.at("param").get<double>()) << k;
      EXPECT_EQ(Number(row.at("frequency_" + n)), b.at("freq").get<double>()) << k;
      EXPECT_EQ(object.at("period_" + n), b.at("period")) << k;
      EXPECT_EQ(object.at("statistic_" + n), b.at("param")) << k;
    }
    if (method == "deeming") {
      EXPECT_EQ(row.at("status"), j.at("status").get<std::string>());
      EXPECT_EQ(Number(row.at("sigma")), j.at("sigma").get<double>());
      EXPECT_EQ(Number(row.at("level99")), j.at("sig_levels")[1].get<double>());
      EXPECT_EQ(Number(row.at("level999")), j.at("sig_levels")[2].get<double>());
      EXPECT_EQ(object.at("level999"), j.at("sig_levels")[2]);
    } else {
      EXPECT_EQ(row.at("status"), "Done...");
      EXPECT_EQ(row.at("sigma") + row.at("level99") + row.at("level999"), "");
      EXPECT_TRUE(object.at("sigma").is_null());
    }
    EXPECT_EQ(object.at("status"), row.at("status"));
  }
}

// A list may name files that are missing, malformed or oddly named: each
// gets its row, the missing one its error alone, the malformed one the
// results of the lines before the error with the error, and the survey
// goes on to exit 0.
TEST_F(Survey, BadStarsGetTheirErrorRowsAndTheOthersAreComplete) {
  const std::string odd = dir_->Write("odd, \"name\".dat", ReadFile(Star(5)));
  std::string bad = ReadFile(Star(6));
  bad.insert(bad.find('\n', bad.find('\n') + 1) + 1, "56000.1 x\r\n");
  const std::string badFile = dir_->Write("bad.dat", bad);
  const std::string list =
      dir_->Write("list.txt", "# a comment, then a blank line\n\n" + Star(5) + "\nmissing.dat\n" +
                                  badFile + "\r\n" + odd + "\n" + Star(5) + "\n");
  const RunResult r = Batch("survey --list " + ShellQuote(list) + " --methods lk " + kGrid);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("\"" + dir_->File("odd, \"\"name\"\".dat") + "\""), std::string::npos)
      << r.out;

  const std::vector<Row> rows = CsvRows(r.out);
  ASSERT_EQ(rows.size(), 4u);  // the repeated star once
  std::map<std::string, Row> byFile;
  for (const Row& row : rows) byFile[row.at("file")] = row;
  for (const std::string& good : {Star(5), odd}) {
    const Row& row = byFile.at(good);
    EXPECT_EQ(row.at("error"), "") << good;
    EXPECT_EQ(row.at("status"), "Done...") << good;
    EXPECT_GT(Number(row.at("period_5")), 0) << good;
  }
  EXPECT_EQ(byFile.at(odd).at("period_1"), byFile.at(Star(5)).at("period_1"));
  const Row& missing = byFile.at("missing.dat");
  EXPECT_EQ(missing.at("error"), "missing.dat: File does not exist...");
  EXPECT_EQ(missing.at("nobs") + missing.at("trials") + missing.at("period_1"), "");
  const Row& malformed = byFile.at(badFile);
  EXPECT_EQ(malformed.at("error"), badFile + ":3: Invalid numeric input");
  EXPECT_EQ(malformed.at("nobs"), "2");

  // A method that refuses the star says why in its row.
  const RunResult refused = Batch("survey " + Stars(1, 1) + " --methods lk --pmin 2 --pmax 1");
  ASSERT_EQ(refused.exitCode, 0) << refused.err;
  EXPECT_EQ(CsvRows(refused.out).at(0).at("error"), "Error in P range...");
  // What the command line cannot run is refused before any star.
  const RunResult noPeriod = Batch("survey " + Stars(1, 1) + " --methods secondary");
  EXPECT_EQ(noPeriod.exitCode, 3);
  EXPECT_NE(noPeriod.err.find("--period"), std::string::npos) << noPeriod.err;
  EXPECT_EQ(noPeriod.out, "");
}

// Starts the survey as a process writing to out; returns its pid.
pid_t StartSurvey(const std::string& args) {
  const pid_t pid = fork();
  if (pid == 0) {
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, STDERR_FILENO);
    execl("/bin/sh", "sh", "-c",
          ("exec " + ShellQuote(KORVEL_BATCH_PATH) + " survey " + args).c_str(),
          static_cast<char*>(nullptr));
    _exit(127);
  }
  return pid;
}

size_t LineEnds(const std::string& text) {
  return static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
}

// SIGTERM ends the survey at a star boundary with whole rows and exit 143;
// --resume appends the rest, and the result is the uninterrupted run's rows.
// A record cut off in the middle (a harder kill) is dropped first, and an
// output of other columns is not resumed.
TEST_F(Survey, KilledSurveyResumesToTheRowsOfAnUninterruptedRun) {
  // A finer grid, so that the survey is still running when it is killed.
  const std::string common =
      Stars(1, 8) + " --methods lk,deeming --pmin 0.3 --pmax 1 --phase-shift 0.2 ";
  const std::string whole = dir_->File("whole.csv"), killed = dir_->File("killed.csv");
  ASSERT_EQ(Batch("survey --jobs 2 -o " + ShellQuote(whole) + common).exitCode, 0);
  const std::string expected = ReadFile(whole);
  ASSERT_EQ(LineEnds(expected), 17u);

  // One star at a time: the kill comes while most are still to do.
  const pid_t survey = StartSurvey("--jobs 1 -o " + ShellQuote(killed) + common);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (LineEnds(ReadFile(killed)) < 3 && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  kill(survey, SIGTERM);
  int status = 0;
  waitpid(survey, &status, 0);
  const std::string part = ReadFile(killed);
  ASSERT_GE(LineEnds(part), 3u);
  ASSERT_EQ(part.back(), '\n');
  ASSERT_LT(LineEnds(part), LineEnds(expected)) << "the survey ended before it was killed";
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 128 + SIGTERM);

  ASSERT_EQ(Batch("survey --jobs 2 --resume -o " + ShellQuote(killed) + common).exitCode, 0);
  EXPECT_EQ(RecordSet(ReadFile(killed)), RecordSet(expected));

  // Half a record at the end: cut off, then written whole.
  const size_t cut = expected.find('\n', expected.find('\n') + 1) + 40;
  dir_->Write("half.csv", expected.substr(0, cut));
  const std::string half = dir_->File("half.csv");
  ASSERT_EQ(Batch("survey --resume -o " + ShellQuote(half) + common).exitCode, 0);
  EXPECT_EQ(RecordSet(ReadFile(half)), RecordSet(expected));

  // Rows of another --top are not mixed in.
  const RunResult other = Batch("survey --resume --top 3 -o " + ShellQuote(half) + common);
  EXPECT_EQ(other.exitCode, 3);
  EXPECT_NE(other.err.find("cannot be resumed"), std::string::npos) << other.err;
  EXPECT_EQ(RecordSet(ReadFile(half)), RecordSet(expected));
}

}  // namespace
}  // namespace korvel
