#include "batch/survey_command.h"

#include <unistd.h>

#include <atomic>
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
// Set once the stars may start. Before, nothing written is at stake and a
// signal ends the process at once, whatever it waits for (a list that is a
// pipe nobody writes, an OUT that is a FIFO nobody reads).
std::atomic<bool> gSurveying{false};
static_assert(std::atomic<bool>::is_always_lock_free && std::atomic<int>::is_always_lock_free);

// Time the survey has to end after the first signal before it is ended
// without its summary: searches stop within a trial, but a star's file or
// the output may not answer (a stalled disk, a pipe nobody reads).
constexpr unsigned kGraceSeconds = 5;

template <size_t N>
void WriteToStderr(const char (&text)[N]) {
  // Only write() may be called from a signal handler; its result changes nothing.
  [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, text, N - 1);
}

extern "C" void OnStopSignal(int signal) {
  if (!gSurveying.load()) {
    WriteToStderr("Survey stopped before its first star\n");
    ::_exit(128 + signal);
  }
  gSignal.store(signal);
  gStop.store(true);
  ::alarm(kGraceSeconds);
}

extern "C" void OnGraceOver(int) {
  WriteToStderr("Survey stopped: a star or the output did not answer; --resume continues it\n");
  ::_exit(128 + gSignal.load());
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
  action.sa_handler = OnGraceOver;
  action.sa_flags = 0;
  sigaction(SIGALRM, &action, nullptr);
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
  // Before the list is read: it may be a pipe that blocks or a long file.
  CatchStopSignals();
  if (const auto refused = args.Complete()) {
    std::cerr << refused->message;
    return refused->exitCode;
  }
  SurveyCommandLine& line = args.Line();
  SurveyOptions& options = line.options;
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
  gSurveying.store(true);
  bool writeFailed = false;
  SurveyOutcome outcome;
  {
    SurveyProgress progress(std::cerr, line.progress, static_cast<int64_t>(stars.size()));
    outcome = RunSurvey(options, stars, [&](const StarResult& star) {
      if (writeFailed) return;
      // All rows of a star in one write, flushed: a kill leaves whole stars.
      output.Write(StarRowsText(star, start.format, options.Layout()));
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
