// The command line of korvel-batch survey: its options, their checks, and
// the output the rows go to. korvel-batch and the Python survey (which runs
// the stars on a cluster) parse it with this one parser, so that both take
// the same options, defaults and refusals.
#pragma once

#include <optional>
#include <set>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "batch/survey_options.h"
#include "batch/survey_rows.h"

namespace CLI {
class App;
}

namespace korvel::batch {

struct SurveyCommandLine {
  SurveyOptions options;  // files read from --list, without repeats
  std::string out;        // empty: stdout
  bool resume = false, progress = false;
  bool jobsGiven = false;  // --jobs was on the command line
};

// Why a command line cannot run, and the exit code it ends with. Help asked
// for is "refused" with exit code 0 and its text meant for stdout.
struct SurveyRefused {
  std::string message;  // whole lines
  int exitCode = 0;
  bool toStdout = false;
};

// The parsed arguments of one survey subcommand, completed once CLI11 has
// filled them.
class SurveyArgs {
 public:
  // Registers the survey subcommand and its options on parent.
  explicit SurveyArgs(CLI::App& parent);
  SurveyArgs(const SurveyArgs&) = delete;
  SurveyArgs& operator=(const SurveyArgs&) = delete;

  CLI::App* App() const { return app_; }
  // Reads --list, drops repeated files and checks what CLI11 cannot check
  // alone, OUT included: one of the inputs (the list or a star, under any
  // name), a directory, or with --resume no regular file is refused before
  // anything is written. oneStar leaves the files and OUT out (a worker
  // searching a star it was handed needs only the options, and may not see
  // the list file).
  std::optional<SurveyRefused> Complete(bool oneStar = false);
  SurveyCommandLine& Line() { return line_; }

 private:
  CLI::App* app_ = nullptr;
  SurveyCommandLine line_;
  std::vector<std::string> files_;
  std::string list_;
  std::string methods_ = "lk,deeming";
  CLI::Option* pmax_ = nullptr;
  CLI::Option* period_ = nullptr;
  CLI::Option* jobs_ = nullptr;
  CLI::Option* peaks_ = nullptr;
  std::vector<CLI::Option*> secondaryOnly_;
  SearchParameterOptions searchOptions_;
  std::optional<std::string> MethodOptionRefusal();
};

// The arguments after "korvel-batch survey", parsed and checked as
// korvel-batch does it, non-finite numbers included.
std::variant<SurveyCommandLine, SurveyRefused> ParseSurveyCommandLine(
    const std::vector<std::string>& args, bool oneStar = false);

// What the rows are appended to, once the output is ready.
struct RowOutputStart {
  RowFormat format = RowFormat::Csv;
  std::string header;  // written first: the header of a fresh output, else nothing
  std::set<std::pair<std::string, std::string>> done;  // (file, method) already in OUT
};

// Makes OUT ready for rows to be appended: emptied, or with --resume its
// complete rows kept and a record cut off by a kill removed. For stdout
// nothing is touched.
std::variant<RowOutputStart, SurveyRefused> StartRowOutput(const SurveyCommandLine& line);

}  // namespace korvel::batch
