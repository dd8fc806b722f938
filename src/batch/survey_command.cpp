#include "batch/survey_command.h"

#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <variant>
#include <vector>

#include "batch/batch_search.h"
#include "batch/load_options.h"
#include "batch/survey_options.h"
#include "batch/survey_progress.h"
#include "batch/survey_rows.h"
#include "batch/survey_run.h"
#include "core/thread_count.h"

namespace korvel::batch {

namespace {

// Set by SIGINT and SIGTERM: the running searches end at their next trial
// and no further star starts; the rows written stay whole.
std::atomic<bool> gStop{false};
std::atomic<int> gSignal{0};
static_assert(std::atomic<bool>::is_always_lock_free && std::atomic<int>::is_always_lock_free);

extern "C" void OnStopSignal(int signal) {
  gSignal.store(signal);
  gStop.store(true);
}

void CatchStopSignals() {
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  // A second signal ends the process at once, as it would without a survey;
  // a write to a pipe is not cut short by the first.
  action.sa_flags = SA_RESETHAND | SA_RESTART;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

struct SurveyArgs {
  std::vector<std::string> files;
  std::string list;
  std::string methods = "lk,deeming";
  SurveyOptions options;
  std::string out;
  bool resume = false, progress = false;
  CLI::Option* pmax = nullptr;
  CLI::Option* period = nullptr;
  std::vector<CLI::Option*> secondaryOnly;
};

std::vector<std::string> SplitAtCommas(const std::string& text) {
  std::vector<std::string> words;
  std::istringstream in(text);
  for (std::string word; std::getline(in, word, ',');) words.push_back(word);
  return words;
}

// Where the rows go: OUT (a fresh file, or the complete rows of an earlier
// run kept and the rest appended) or stdout.
class RowOutput {
 public:
  // The refusal and its exit code, or nothing once the output is ready.
  std::optional<std::pair<std::string, int>> Open(
      const SurveyArgs& args, std::set<std::pair<std::string, std::string>>& done) {
    format_ = args.out.empty() ? RowFormat::Csv : FormatForFile(args.out);
    const int top = args.options.top;
    if (args.out.empty()) {
      if (args.resume) return std::pair{std::string("--resume needs -o OUT..."), kExitRefused};
      std::cout << HeaderText(format_, top) << std::flush;
      return std::nullopt;
    }
    bool header = false;
    std::error_code ec;
    if (args.resume && std::filesystem::exists(args.out, ec)) {
      std::ifstream in(args.out, std::ios::binary);
      std::ostringstream text;
      text << in.rdbuf();
      if (!in && !in.eof()) return Unwritable(args.out);
      const auto existing = ReadExistingRows(text.str(), format_, top);
      if (const auto* why = std::get_if<std::string>(&existing))
        return std::pair{args.out + ": cannot be resumed: " + *why + "...", kExitRefused};
      const auto& rows = std::get<ExistingRows>(existing);
      done = rows.done;
      header = rows.hasHeader;
      // A record cut off by a kill is dropped before the rest is appended.
      std::filesystem::resize_file(args.out, rows.completeLength, ec);
      if (ec) return Unwritable(args.out);
    }
    file_.open(args.out, std::ios::binary | (args.resume ? std::ios::app : std::ios::trunc));
    if (!file_) return Unwritable(args.out);
    if (!header) Write(HeaderText(format_, top));
    if (!Good()) return Unwritable(args.out);
    return std::nullopt;
  }

  RowFormat Format() const { return format_; }
  void Write(const std::string& text) {
    std::ostream& out = file_.is_open() ? static_cast<std::ostream&>(file_) : std::cout;
    out << text;
    out.flush();
  }
  bool Good() const { return file_.is_open() ? file_.good() : std::cout.good(); }

 private:
  static std::pair<std::string, int> Unwritable(const std::string& name) {
    return {name + ": cannot be written: " + std::strerror(errno), kExitWriteError};
  }

  RowFormat format_ = RowFormat::Csv;
  std::ofstream file_;
};

int RunSurveyCommand(SurveyArgs& args) {
  SurveyOptions& options = args.options;
  options.files = args.files;
  if (!args.list.empty())
    if (const auto why = ReadStarList(args.list, options.files)) {
      std::cerr << *why << '\n';
      return kExitFileMissing;
    }
  options.files = WithoutRepeats(options.files);
  if (options.files.empty()) {
    std::cerr << "No stars: name observation files or --list F...\n";
    return kExitRefused;
  }
  if (const auto why = ParseMethodList(SplitAtCommas(args.methods), options.methods)) {
    std::cerr << *why << '\n';
    return kExitRefused;
  }
  options.pmaxGiven = args.pmax->count() > 0;
  options.periodGiven = args.period->count() > 0;
  if (const auto why = SurveyRefusal(options, AnyGiven(args.secondaryOnly))) {
    std::cerr << *why << '\n';
    return kExitRefused;
  }

  CatchStopSignals();
  options.cancel = &gStop;
  RowOutput output;
  std::set<std::pair<std::string, std::string>> done;
  if (const auto refused = output.Open(args, done)) {
    std::cerr << refused->first << '\n';
    return refused->second;
  }
  const std::vector<SurveyStar> stars = PlanSurvey(options, done);
  bool writeFailed = false;
  SurveyOutcome outcome;
  {
    SurveyProgress progress(std::cerr, args.progress, static_cast<int64_t>(stars.size()));
    outcome = RunSurvey(options, stars, [&](const StarResult& star) {
      if (writeFailed) return;
      // All rows of a star in one write, flushed: a kill leaves whole stars.
      std::string text;
      for (const SurveyRow& row : star.rows) text += RowText(row, output.Format(), options.top);
      output.Write(text);
      if (!output.Good()) {
        writeFailed = true;
        gStop.store(true);
      }
      if (!star.warnings.empty()) progress.Print(star.warnings);
      progress.StarDone();
    });
  }
  if (writeFailed) {
    std::cerr << (args.out.empty() ? std::string("stdout") : args.out)
              << ": cannot be written: " << std::strerror(errno) << '\n';
    return kExitWriteError;
  }
  if (outcome.cancelled) {
    std::cerr << "Survey stopped: " << outcome.starsDone << " of " << stars.size()
              << " stars written; --resume continues it\n";
    return 128 + gSignal.load();
  }
  return kExitOk;
}

}  // namespace

Command AddSurveyCommand(CLI::App& parent) {
  auto args = std::make_shared<SurveyArgs>();
  CLI::App* app = parent.add_subcommand(
      "survey",
      "Run period searches over many stars in one process: one row per star and method (CSV, or "
      "JSON lines for OUT.jsonl), written as each star is done");
  app->add_option("FILE", args->files, "Observation files, one star each");
  app->add_option("--list", args->list,
                  "A file naming one observation file per line (blank lines and # comments "
                  "skipped)");
  SurveyOptions& o = args->options;
  AddReadOptions(*app, o.read);
  // One comma-separated word: the files after it stay files.
  app->add_option("--methods", args->methods,
                  "Searches per star, comma-separated: lk, deeming, secondary")
      ->capture_default_str();
  const SearchParameterOptions searchOptions = AddSearchParameterOptions(
      *app, o.params,
      "Secondary: the primary period (default: each star's best Lafler-Kinman period)");
  args->pmax = searchOptions.pmax;
  args->period = searchOptions.period;
  args->secondaryOnly = searchOptions.secondaryOnly;
  AddMaxTrialsOption(*app, o.maxTrials);
  app->add_option("--top", o.top, "Places of the best list in each row")
      ->check(CLI::Range(1, kMaxTop))
      ->capture_default_str();
  AddThreadsOption(*app, o.jobs, "--jobs", "the stars");
  app->add_option("-o,--out", args->out,
                  "Write the rows to OUT (.jsonl: JSON lines; else CSV) instead of stdout");
  app->add_flag("--resume", args->resume,
                "Keep the complete rows of OUT, skip their stars and methods, append the rest");
  app->add_flag("--progress", args->progress,
                "Draw a progress bar on stderr: stars done, stars per second, time left");
  return {app, [args] { return RunSurveyCommand(*args); }};
}

}  // namespace korvel::batch
