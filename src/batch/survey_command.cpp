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
#include "batch/survey_command_line.h"
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

// Where the rows go: OUT (made ready by StartRowOutput) or stdout.
class RowOutput {
 public:
  bool Open(const std::string& out) {
    if (out.empty()) return true;
    file_.open(out, std::ios::binary | std::ios::app);
    return file_.is_open();
  }
  void Write(const std::string& text) {
    std::ostream& out = file_.is_open() ? static_cast<std::ostream&>(file_) : std::cout;
    out << text;
    out.flush();
  }
  bool Good() const { return file_.is_open() ? file_.good() : std::cout.good(); }

 private:
  std::ofstream file_;
};

std::string CannotBeWritten(const std::string& out) {
  return (out.empty() ? std::string("stdout") : out) +
         ": cannot be written: " + std::strerror(errno);
}

int RunSurveyCommand(SurveyArgs& args) {
  if (const auto refused = args.Complete()) {
    std::cerr << refused->message;
    return refused->exitCode;
  }
  SurveyCommandLine& line = args.Line();
  SurveyOptions& options = line.options;
  CatchStopSignals();
  options.cancel = &gStop;
  const auto started = StartRowOutput(line);
  if (const auto* refused = std::get_if<SurveyRefused>(&started)) {
    std::cerr << refused->message;
    return refused->exitCode;
  }
  const RowOutputStart& start = std::get<RowOutputStart>(started);
  RowOutput output;
  if (!output.Open(line.out)) {
    std::cerr << CannotBeWritten(line.out) << '\n';
    return kExitWriteError;
  }
  output.Write(start.header);
  if (!output.Good()) {
    std::cerr << CannotBeWritten(line.out) << '\n';
    return kExitWriteError;
  }
  const std::vector<SurveyStar> stars = PlanSurvey(options, start.done);
  bool writeFailed = false;
  SurveyOutcome outcome;
  {
    SurveyProgress progress(std::cerr, line.progress, static_cast<int64_t>(stars.size()));
    outcome = RunSurvey(options, stars, [&](const StarResult& star) {
      if (writeFailed) return;
      // All rows of a star in one write, flushed: a kill leaves whole stars.
      output.Write(StarRowsText(star, start.format, options.top));
      if (!output.Good()) {
        writeFailed = true;
        gStop.store(true);
      }
      if (!star.warnings.empty()) progress.Print(star.warnings);
      progress.StarDone();
    });
  }
  if (writeFailed) {
    std::cerr << CannotBeWritten(line.out) << '\n';
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
  auto args = std::make_shared<SurveyArgs>(parent);
  return {args->App(), [args] { return RunSurveyCommand(*args); }};
}

}  // namespace korvel::batch
