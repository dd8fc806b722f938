// korvel-batch survey, run as a program on a small synthetic survey: its rows
// must be the numbers korvel-batch search prints for each star, whatever the
// threads; bad stars get an error row; a survey killed midway and resumed
// writes the rows of an uninterrupted one.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <numbers>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "batch_run.h"
#include "core/analysis_state.h"
#include "io/file_paths.h"
#include "io/observation_file.h"

namespace korvel {
namespace {

using testing::ReadFile;
using testing::RunProgram;
using testing::RunResult;
using testing::ShellQuote;
using testing::TempDir;
using namespace std::string_literals;

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
// that star and method, bit for bit, with one thread, two or seven (so that the searches get spare
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
  // Two workers over three stars: the one that finds no star left computes
  // trials of the other's searches.
  const RunResult lent = Batch("survey --jobs 2" + common);
  ASSERT_EQ(lent.exitCode, 0) << lent.err;
  const auto sortedLines = [](const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    std::sort(lines.begin(), lines.end());
    return lines;
  };
  EXPECT_EQ(sortedLines(lent.out), sortedLines(csv.out));

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

// Runs korvel-batch survey under timeout(1): a survey that blocks or reads
// for ever fails the test (exit 124) instead of hanging it.
RunResult SurveyWithin(int seconds, const std::string& args, const TempDir& dir) {
  return RunProgram(
      "/usr/bin/timeout",
      std::to_string(seconds) + " " + ShellQuote(KORVEL_BATCH_PATH) + " survey " + args, dir);
}

// An OUT that is one of the survey's inputs, under any of its names, is
// refused before anything is read or written: the input keeps its bytes and
// a name not yet made is not created.
TEST_F(Survey, OutputThatIsAnInputIsRefusedBeforeAnythingIsTouched) {
  const std::string star = Star(1), list = dir_->Write("inputs/list.txt", Star(2) + "\n");
  const std::string link = dir_->File("inputs/link.csv"), hard = dir_->File("inputs/hard.csv");
  ASSERT_EQ(symlink(star.c_str(), link.c_str()), 0);
  ASSERT_EQ(::link(Star(3).c_str(), hard.c_str()), 0);
  const std::string fresh = dir_->File("inputs/fresh.csv");
  struct Case {
    const char* what;
    std::string args;
    std::string input;  // the file that must keep its bytes
  };
  const Case cases[] = {
      {"the list", "--list " + ShellQuote(list) + " -o " + ShellQuote(list), list},
      {"the list by another path",
       "--list " + ShellQuote(list) + " -o " +
           ShellQuote(dir_->File("inputs/../inputs/./list.txt")),
       list},
      {"a star listed", "--list " + ShellQuote(list) + " -o " + ShellQuote(Star(2)), Star(2)},
      {"a star through a symlink", ShellQuote(star) + " -o " + ShellQuote(link), star},
      {"a star by a hard link", Stars(3, 3) + " -o " + ShellQuote(hard), Star(3)},
      {"a star not made yet", ShellQuote(fresh) + " -o " + ShellQuote(fresh), ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string before = c.input.empty() ? "" : ReadFile(c.input);
    const RunResult r = Batch("survey --methods lk " + kGrid + " " + c.args);
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_NE(r.err.find("is also an input"), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
    if (!c.input.empty()) {
      EXPECT_EQ(ReadFile(c.input), before);
    }
  }
  EXPECT_EQ(KindOf(fresh), FileKind::Missing);
}

// An OUT that cannot take the rows says why before any star: a directory;
// with --resume, a pipe or device that holds no rows to keep (and would
// block or never end when read). /dev/null takes them, and a symlink is
// written through, --resume appending to its target, the link kept.
TEST_F(Survey, OutputsThatCannotTakeRowsAreRefusedAndLinksAreWrittenThrough) {
  const std::string fifo = dir_->File("out.fifo");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  struct Case {
    std::string options;
    int exitCode;
    std::string message;
  };
  const Case cases[] = {
      {"-o " + ShellQuote(dir_->File("stars")), 4, "stars: is a directory..."},
      {"--resume -o " + ShellQuote(fifo), 3, "out.fifo: cannot be resumed"},
      {"--resume -o /dev/null", 3, "/dev/null: cannot be resumed"},
      {"-o /dev/null", 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.options);
    const RunResult r =
        SurveyWithin(60, Stars(1, 1) + " --methods lk " + kGrid + " " + c.options, *dir_);
    EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
  }

  const std::string target = dir_->File("target.csv"), link = dir_->File("rows-link.csv");
  ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
  ASSERT_EQ(
      Batch("survey --methods lk " + kGrid + Stars(1, 1) + " -o " + ShellQuote(link)).exitCode, 0);
  ASSERT_EQ(Batch("survey --methods lk " + kGrid + Stars(1, 2) + " --resume -o " + ShellQuote(link))
                .exitCode,
            0);
  EXPECT_EQ(KindOf(link), FileKind::Regular);
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  const std::vector<Row> rows = CsvRows(ReadFile(target));
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].at("file"), Star(1));
  EXPECT_EQ(rows[1].at("file"), Star(2));
}

// A --list that is no list fails at once naming it (and the line where a
// line is at fault), before any star: devices that never end, a line too
// long or holding a NUL byte, too many files or too many bytes.
TEST_F(Survey, ListsThatAreNoListsFailFast) {
  const std::string longLine = dir_->Write("long.txt", Star(1) + "\n" + std::string(5000, 'a'));
  const std::string nul = dir_->Write("nul.txt", Star(1) + "\n# fine\nstar\0.dat\n"s);
  std::string names;
  for (int k = 0; k <= 1'000'000; ++k) names += "m\n";
  const std::string many = dir_->Write("many.txt", names);
  const std::string comment = "#" + std::string(4000, 'x') + "\n";
  std::string bulk;
  while (bulk.size() <= (size_t{64} << 20)) bulk += comment;
  const std::string big = dir_->Write("big.txt", bulk);
  const std::pair<std::string, std::string> cases[] = {
      {"/dev/zero", "/dev/zero:1: a file name cannot hold a NUL byte"},
      {"/dev/urandom", "/dev/urandom:"},
      {longLine, longLine + ":2: a line longer than 4096 bytes"},
      {nul, nul + ":3: a file name cannot hold a NUL byte"},
      {many, many + ":1000001: more than 1000000 files"},
      {big, big + ": a list longer than 64 MiB"},
      {dir_->File("stars"), dir_->File("stars") + ": is a directory..."},
  };
  for (const auto& [list, message] : cases) {
    SCOPED_TRACE(list);
    const RunResult r = SurveyWithin(20, "--list " + ShellQuote(list) + " " + kGrid, *dir_);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err.rfind(message, 0), 0u) << r.err;
    EXPECT_EQ(r.out, "");
  }
}

// A star that is not a regular file gets its error row without being
// opened, so a FIFO nobody writes cannot block the survey; the others are
// searched.
TEST_F(Survey, StarsThatAreNotRegularFilesGetErrorRowsUnopened) {
  const std::string fifo = dir_->File("star.fifo");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string folder = dir_->File("stars");
  const std::string list = dir_->Write(
      "devices.txt", fifo + "\n" + folder + "\n/dev/zero\n/dev/null\n" + Star(1) + "\n");
  const RunResult r =
      SurveyWithin(60, "--list " + ShellQuote(list) + " --methods lk " + kGrid, *dir_);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  std::map<std::string, Row> byFile;
  for (const Row& row : CsvRows(r.out)) byFile[row.at("file")] = row;
  ASSERT_EQ(byFile.size(), 5u);
  const std::string notRegular =
      ": is not a regular file (a device, pipe or socket is not read)...";
  EXPECT_EQ(byFile.at(fifo).at("error"), fifo + notRegular);
  EXPECT_EQ(byFile.at("/dev/zero").at("error"), "/dev/zero" + notRegular);
  EXPECT_EQ(byFile.at("/dev/null").at("error"), "/dev/null" + notRegular);
  EXPECT_EQ(byFile.at(folder).at("error"), folder + ": is a directory...");
  EXPECT_EQ(byFile.at(fifo).at("nobs"), "");
  EXPECT_EQ(byFile.at(Star(1)).at("error"), "");
  EXPECT_EQ(byFile.at(Star(1)).at("status"), "Done...");
}

// The first SIGINT ends the survey promptly with 128 + the signal, whatever
// it waits for: a list that is a pipe nobody writes, or an output pipe
// nobody reads (after a short grace).
TEST_F(Survey, FirstSignalEndsSurveyWhateverItWaitsFor) {
  const std::string listFifo = dir_->File("list.fifo"), outFifo = dir_->File("rows.fifo");
  ASSERT_EQ(mkfifo(listFifo.c_str(), 0600), 0);
  ASSERT_EQ(mkfifo(outFifo.c_str(), 0600), 0);
  // A reader that never reads, with the smallest pipe: the rows fill it.
  const int reader = open(outFifo.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  fcntl(reader, F_SETPIPE_SZ, 4096);
  const std::pair<std::string, std::string> cases[] = {
      {"a list nobody writes", "--list " + ShellQuote(listFifo)},
      {"an output nobody reads",
       Stars(1, 12) + " --jobs 1 --top 20 " + kGrid + " -o " + ShellQuote(outFifo)},
  };
  for (const auto& [what, args] : cases) {
    SCOPED_TRACE(what);
    const pid_t survey = StartSurvey(args);
    std::this_thread::sleep_for(std::chrono::seconds(2));
    kill(survey, SIGINT);
    const auto signalled = std::chrono::steady_clock::now();
    int status = 0;
    while (waitpid(survey, &status, WNOHANG) == 0 &&
           std::chrono::steady_clock::now() - signalled < std::chrono::seconds(20))
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (std::chrono::steady_clock::now() - signalled >= std::chrono::seconds(20)) {
      kill(survey, SIGKILL);
      waitpid(survey, &status, 0);
      ADD_FAILURE() << "still running 20 s after SIGINT";
      continue;
    }
    EXPECT_LT(std::chrono::steady_clock::now() - signalled, std::chrono::seconds(10));
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 128 + SIGINT);
  }
  close(reader);
}

// --resume keeps only rows the survey could have written, by one rule for
// CSV and JSON lines: a damaged row is refused by its number and OUT is
// left as it was.
TEST_F(Survey, DamagedRowsAreNotResumedInEitherFormat) {
  const std::string common = Stars(1, 3) + " --methods lk " + kGrid;
  const std::string csvOut = dir_->File("good.csv"), jsonOut = dir_->File("good.jsonl");
  ASSERT_EQ(Batch("survey " + Stars(1, 2) + " --methods lk " + kGrid + " -o " + ShellQuote(csvOut))
                .exitCode,
            0);
  ASSERT_EQ(Batch("survey " + Stars(1, 2) + " --methods lk " + kGrid + " -o " + ShellQuote(jsonOut))
                .exitCode,
            0);
  const auto csvRecords = CsvRecords(ReadFile(csvOut));
  ASSERT_EQ(csvRecords.size(), 3u);
  std::vector<std::string> jsonLines;
  std::istringstream lines(ReadFile(jsonOut));
  for (std::string line; std::getline(lines, line);) jsonLines.push_back(line);
  ASSERT_EQ(jsonLines.size(), 2u);

  struct Damage {
    std::string column, text;
  };
  const Damage damages[] = {
      {"method", "lx"}, {"file", ""},    {"file", "star\0.dat"s}, {"nobs", "9x7"},
      {"trials", "-5"}, {"span", "abc"}, {"period_1", "1.5 "},    {"status", "Do\x01ne"},
  };
  for (const Damage& d : damages) {
    SCOPED_TRACE(d.column + " = " + d.text);
    // The second row damaged, as CSV and as JSON lines.
    std::vector<std::string> record = csvRecords[2];
    const auto& header = csvRecords[0];
    record[std::find(header.begin(), header.end(), d.column) - header.begin()] = d.text;
    std::string csv = ReadFile(csvOut);
    csv = csv.substr(0, csv.find('\n', csv.find('\n') + 1) + 1);
    for (size_t i = 0; i < record.size(); ++i) csv += (i ? "," : "") + record[i];
    csv += "\n";
    auto object = nlohmann::ordered_json::parse(jsonLines[1]);
    const bool whole = d.column == "nobs" || d.column == "trials";
    if (whole && d.text == "-5")
      object[d.column] = -5;
    else
      object[d.column] = d.text;
    const std::string jsonl = jsonLines[0] + "\n" + object.dump() + "\n";
    for (const auto& [name, text] : {std::pair{"damaged.csv"s, csv}, {"damaged.jsonl"s, jsonl}}) {
      SCOPED_TRACE(name);
      const std::string out = dir_->Write(name, text);
      const RunResult r = Batch("survey --resume -o " + ShellQuote(out) + " " + common);
      EXPECT_EQ(r.exitCode, 3);
      EXPECT_NE(r.err.find(": cannot be resumed: row 2"), std::string::npos) << r.err;
      EXPECT_EQ(ReadFile(out), text);
    }
  }
  // The undamaged rows are kept and only the third star is added.
  for (const std::string& out : {csvOut, jsonOut}) {
    ASSERT_EQ(Batch("survey --resume -o " + ShellQuote(out) + " " + common).exitCode, 0);
    EXPECT_EQ(LineEnds(ReadFile(out)), out == csvOut ? 4u : 3u);
  }
}

// The peak columns hold korvel-batch search --json's peaks of the same star
// and method, reshuffled FAPs included: the fitted period where the fit
// holds, else the grid's; a value that does not exist is empty (null), never
// "nan".
TEST_F(Survey, PeakColumnsEqualThePeaksOfSearch) {
  const std::string peaks = " --peaks 3 --fap-shuffles 9 --seed 5 ";
  const std::string jsonl = dir_->File("peaks.jsonl");
  const RunResult r =
      Batch("survey --methods lk,deeming -o " + ShellQuote(jsonl) + peaks + kGrid + Stars(1, 2));
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const std::string text = ReadFile(jsonl);
  EXPECT_EQ(text.find("nan"), std::string::npos);
  std::istringstream lines(text);
  int rows = 0;
  for (std::string line; std::getline(lines, line); ++rows) {
    const auto row = nlohmann::json::parse(line);
    SCOPED_TRACE(line);
    const RunResult searched =
        Batch("search --json --method " + row.at("method").get<std::string>() + peaks + kGrid +
              " " + ShellQuote(row.at("file")));
    ASSERT_EQ(searched.exitCode, 0) << searched.err;
    const auto found = nlohmann::json::parse(searched.out).at("peaks");
    ASSERT_EQ(found.size(), 3u);
    for (size_t k = 0; k < found.size(); ++k) {
      const nlohmann::json& p = found[k];
      const std::string n = std::to_string(k + 1);
      EXPECT_EQ(row.at("peak_period_" + n),
                p.at("error").is_null() ? p.at("fitted_period") : p.at("period"));
      EXPECT_EQ(row.at("peak_error_" + n), p.at("period_error"));
      EXPECT_EQ(row.at("peak_fap_" + n), p.at("fap"));
      EXPECT_EQ(p.at("fap_method"), "reshuffled");
      EXPECT_EQ(row.at("peak_label_" + n), p.at("label"));
    }
  }
  EXPECT_EQ(rows, 4);
}

// A star of known period gets it as its adopted period, within its stated
// error, with where it came from and why; a star too small for any Fourier
// fit gets the reason instead. Adopted rows resume like the others.
TEST_F(Survey, AdoptedRowHoldsTheKnownPeriod) {
  constexpr double kPeriod = 0.5432;
  // Nightly observations of a two-harmonic light curve over 150 nights,
  // with noise of 0.02 mag, from a generator every machine runs alike.
  std::mt19937_64 engine(7);
  const auto uniform = [&engine] { return static_cast<double>(engine() >> 11) * 0x1.0p-53; };
  std::ostringstream star;
  star.precision(10);
  for (int night = 0; night < 150; ++night) {
    const double t = 59000 + night + 0.3 * uniform();
    const double x = 2 * std::numbers::pi * t / kPeriod;
    star << t << ' '
         << 12 + 0.3 * std::sin(x) + 0.1 * std::sin(2 * x + 1) + 0.04 * (uniform() - 0.5) << "\n";
  }
  const std::string known = dir_->Write("known.dat", star.str());
  const std::string tiny =
      dir_->Write("tiny.dat", "59000 12.1\n59001.3 12.5\n59002.1 12.2\n59003.7 12.4\n");
  const std::string out = dir_->File("adopted.csv");
  const std::string args =
      "survey --jobs 1 --methods lk,adopted --pmin 0.2 --pmax 1 --phase-shift 0.05 " +
      ShellQuote(known) + " " + ShellQuote(tiny) + " -o " + ShellQuote(out);
  const RunResult r = Batch(args);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const std::string written = ReadFile(out);
  const std::vector<Row> rows = CsvRows(written);
  ASSERT_EQ(rows.size(), 4u);
  const Row& adopted = rows[1];
  ASSERT_EQ(adopted.at("method"), "adopted");
  EXPECT_EQ(adopted.at("error"), "");
  const double period = Number(adopted.at("peak_period_1"));
  const double error = Number(adopted.at("peak_error_1"));
  EXPECT_GT(error, 0);
  EXPECT_LT(error, 1e-4);
  EXPECT_LT(std::abs(period - kPeriod), 4 * error) << period << " +- " << error;
  EXPECT_LT(Number(adopted.at("peak_fap_1")), 1e-6);
  EXPECT_NE(adopted.at("peak_label_1").find("peak "), std::string::npos);
  EXPECT_NE(adopted.at("peak_label_1").find("so P"), std::string::npos);
  EXPECT_EQ(adopted.at("peak_period_2"), "");  // the default 5 peak columns, one used
  EXPECT_EQ(rows[3].at("method"), "adopted");
  EXPECT_NE(rows[3].at("error").find("No peak has a Fourier fit"), std::string::npos);
  EXPECT_EQ(rows[3].at("peak_period_1"), "");

  // Without its last row (the second star's adopted one), --resume writes
  // that row alone.
  dir_->Write("adopted.csv", written.substr(0, written.rfind('\n', written.size() - 2) + 1));
  const RunResult resumed = Batch(args + " --resume");
  ASSERT_EQ(resumed.exitCode, 0) << resumed.err;
  EXPECT_EQ(RecordSet(ReadFile(out)), RecordSet(written));
}

// Peak counts no one means are refused before OUT is touched: beyond 1000,
// negative, and none for the adopted period, which chooses among them.
TEST_F(Survey, AbsurdPeakCountsAreRefused) {
  const std::string out = dir_->File("never.csv");
  for (const std::string& options :
       {"--peaks 5000"s, "--peaks -1"s, "--peaks x"s, "--methods adopted --peaks 0"s}) {
    SCOPED_TRACE(options);
    const RunResult r =
        Batch("survey " + options + " " + kGrid + Stars(1, 1) + " -o " + ShellQuote(out));
    EXPECT_NE(r.exitCode, 0);
    EXPECT_NE(r.err.find("--peaks"), std::string::npos) << r.err;
    EXPECT_EQ(KindOf(out), FileKind::Missing);
  }
}

// The parameters of the newer methods reach the survey's rows as search
// takes them, and are refused where no method among --methods takes them.
TEST_F(Survey, MethodParametersAreThoseOfSearchOrRefused) {
  const RunResult row =
      Batch("survey --methods pdm,mhaov --bins 7 --covers 3 --harmonics 3 --top 1 " + kGrid +
            Stars(1, 1));
  ASSERT_EQ(row.exitCode, 0) << row.err;
  const std::vector<Row> rows = CsvRows(row.out);
  ASSERT_EQ(rows.size(), 2u);
  for (const Row& r : rows) {
    const std::string options = r.at("method") == "pdm" ? " --bins 7 --covers 3" : " --harmonics 3";
    const RunResult searched =
        Batch("search --json --method " + r.at("method") + options + " " + kGrid + Stars(1, 1));
    ASSERT_EQ(searched.exitCode, 0) << searched.err;
    const auto j = nlohmann::json::parse(searched.out);
    EXPECT_EQ(Number(r.at("statistic_1")), j.at("best")[0].at("param").get<double>())
        << r.at("method");
  }
  for (const std::string& options :
       {"--methods lk --covers 3"s, "--methods pdm,secondary --period 0.5 --bins 7"s}) {
    SCOPED_TRACE(options);
    const RunResult refused = Batch("survey " + options + " " + kGrid + Stars(1, 1));
    EXPECT_EQ(refused.exitCode, 3);
    EXPECT_NE(refused.err.find(options.find("covers") != std::string::npos ? "--covers" : "--bins"),
              std::string::npos)
        << refused.err;
  }
}

// --span and --periods shape a survey of long light curves: every star within
// the span, every variable's period within the range; bad values are refused.
// (Without them the survey is the recorded outputs' one.)
TEST_F(Survey, MakerShapesTheSpanAndThePeriods) {
  TempDir dir;
  const RunResult made = RunProgram(
      KORVEL_MAKE_SURVEY_PATH,
      "--observations 650 --span 2000 --periods 1 100 " + ShellQuote(dir.File("long")) + " 40 5",
      dir);
  ASSERT_EQ(made.exitCode, 0) << made.err;
  std::istringstream truth(ReadFile(dir.File("long") + "/truth.csv"));
  std::string line;
  std::getline(truth, line);
  double lowest = INFINITY, highest = 0, nobs = 0;
  int rows = 0;
  for (; std::getline(truth, line); ++rows) {
    std::istringstream fields(line);
    std::string file, type, period, amplitude, noise, n;
    for (std::string* f : {&file, &type, &period, &amplitude, &noise, &n})
      std::getline(fields, *f, ',');
    AnalysisState s;
    ASSERT_FALSE(LoadObservations(s, dir.File("long") + "/" + file, ReadOptions{})) << file;
    nobs += s.NObs;
    const double span = s.JD[s.NObs] - s.JD[1];
    EXPECT_TRUE(span > 1800 && span <= 2000) << file << " " << span;
    const double p = std::stod(period);
    if (type == "constant") continue;
    EXPECT_TRUE(p >= 1 && p <= 100) << file << " " << p;
    lowest = std::min(lowest, p);
    highest = std::max(highest, p);
  }
  ASSERT_EQ(rows, 40);
  EXPECT_NEAR(nobs / rows, 650, 60);
  EXPECT_LT(lowest, 5);  // the range is used, not only its end
  EXPECT_GT(highest, 20);

  for (const char* bad : {"--span 0 out", "--span x out", "--span", "--periods 5 1 out",
                          "--periods 0 1 out", "--periods 1"})
    EXPECT_EQ(RunProgram(KORVEL_MAKE_SURVEY_PATH, bad, dir).exitCode, 2) << bad;
}

// korvel-make-survey takes no option for OUTDIR: --help prints the usage,
// another option is refused with it, and neither writes anything.
TEST_F(Survey, MakerTakesNoOptionForItsOutputDirectory) {
  TempDir dir;
  struct Case {
    std::string args;
    int exitCode;
    bool usageOnStdout;
  };
  const Case cases[] = {
      {"--help", 0, true},
      {"--bogus " + ShellQuote(dir.File("made")), 2, false},
      {"-x", 2, false},
      {ShellQuote(dir.File("made")) + " 3 1x", 2, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    const std::string before = "cd " + ShellQuote(dir.path().string()) + " && ";
    const RunResult r = RunProgram(
        "/bin/sh", "-c " + ShellQuote(before + ShellQuote(KORVEL_MAKE_SURVEY_PATH) + " " + c.args),
        dir);
    EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
    EXPECT_NE((c.usageOnStdout ? r.out : r.err).find("Usage: korvel-make-survey"),
              std::string::npos);
    std::vector<std::string> made;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
      if (entry.path().filename() != "stdout.txt" && entry.path().filename() != "stderr.txt")
        made.push_back(entry.path().filename().string());
    EXPECT_TRUE(made.empty()) << made.front();
  }
}

}  // namespace
}  // namespace korvel
