#include "batch/batch_search.h"

#include <charconv>
#include <cmath>
#include <map>
#include <ostream>

#include "batch/batch_hooks.h"
#include "batch/file_messages.h"
#include "batch/load_options.h"
#include "core/error.h"
#include "core/thread_count.h"
#include "io/file_paths.h"
#include "search/engine_support.h"
#include "search/significance.h"
#include "search/trial_grid.h"

namespace korvel::batch {

namespace {

// A count of trials in full, whatever its size.
std::string WholeNumber(double x) {
  char text[400];
  const auto result = std::to_chars(text, text + sizeof text, x, std::chars_format::fixed, 0);
  return std::string(text, result.ptr);
}

}  // namespace

CLI::Option* AddMaxTrialsOption(CLI::App& command, int64_t& maxTrials) {
  return command
      .add_option("--max-trials", maxTrials,
                  "Refuse a search that would make more trials than this (they are counted "
                  "before the first one)")
      ->check(CLI::Validator(
          [](std::string& text) -> std::string {
            int64_t value = 0;
            const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
            if (ec == std::errc() && end == text.data() + text.size() && value >= 1) return {};
            return "must be a whole number of 1 or more";
          },
          "1 OR MORE"))
      ->capture_default_str();
}

CLI::Option* AddThreadsOption(CLI::App& command, int& threads, const std::string& name,
                              const std::string& workOn) {
  threads = DefaultThreadCount();
  return command
      .add_option(name, threads,
                  "Threads working on " + workOn + " (default: " + kThreadsVariable +
                      ", else every core); the results do not depend on it")
      ->check(CLI::Validator(
          [](std::string& text) -> std::string {
            return ParseThreadCount(text) ? std::string() : std::string(kThreadsRule);
          },
          "1 TO 1024"))
      ->capture_default_str();
}

SearchParameterOptions AddSearchParameterOptions(CLI::App& command, SearchParameters& p,
                                                 const std::string& periodHelp) {
  SearchParameterOptions o;
  o.pmax = command.add_option("--pmax", p.pmax,
                              "Maximum trial period (default 100; secondary period 1000)");
  command.add_option("--pmin", p.pmin, "Minimum trial period")->default_str(DefaultText(p.pmin));
  command
      .add_option("--phase-shift", p.phaseShift,
                  "Maximum phase shift between the first and last observation from one trial "
                  "to the next")
      ->default_str(DefaultText(p.phaseShift));
  o.period = command.add_option("--period", p.period, periodHelp);
  o.secondaryOnly = {
      o.period,
      command.add_option("--epoch", p.epoch, "Secondary: initial date of the primary period")
          ->default_str(DefaultText(p.epoch)),
      command
          .add_option("--extremum-date", p.extremumDate,
                      "Secondary: date of the extremal light-curve shape")
          ->default_str(DefaultText(p.extremumDate)),
      command.add_option("--bins", p.bins, "Secondary: number of phase bins")
          ->default_str(DefaultText(p.bins)),
      command
          .add_option("--mode", p.mode,
                      "Secondary: 1 divides the secondary phases by bins, 2 the primary phases")
          ->check(CLI::IsMember({1, 2}))
          ->capture_default_str(),
  };
  return o;
}

bool AnyGiven(const std::vector<CLI::Option*>& options) {
  for (const CLI::Option* o : options)
    if (o->count() > 0) return true;
  return false;
}

CLI::Option* AddMethodOption(CLI::App& command, const std::string& name, SearchKind& kind,
                             const std::string& help) {
  std::map<std::string, SearchKind> names;
  for (const SearchMethod& m : SearchMethods()) names[m.name] = m.kind;
  return command.add_option(name, kind, help)
      ->transform(CLI::CheckedTransformer(names, CLI::ignore_case));
}

BatchSearchOutcome RunBatchSearch(AnalysisState& s, const BatchSearchRequest& request,
                                  std::ostream& err) {
  BatchSearchOutcome outcome;
  const SearchKind kind = request.kind;
  SearchParameters params = request.params;
  if (!request.pmaxGiven) params.pmax = DefaultSearchParameters(kind).pmax;
  if (const auto refusal = ApplySearchParameters(s, kind, params)) {
    err << refusal->message << '\n';
    if (MethodOf(kind).secondary && !request.periodGiven)
      err << "The secondary period needs the primary period: --period P\n";
    outcome.exitCode = kExitRefused;
    return outcome;
  }
  if (request.spectrumFile)
    if (const auto refusal = OutputIsInput(*request.spectrumFile, {s.DataFileName})) {
      err << *refusal << '\n';
      outcome.exitCode = kExitRefused;
      return outcome;
    }
  // The panel's switches: "Window spectrum" and "Spectrum to file".
  if (MethodOf(kind).deeming) {
    s.WindowSpec = request.window;
    if (request.spectrumFile) s.SpecToFile = true;
  }
  if (const auto refusal = CheckSearchable(s, kind)) {
    err << *refusal << '\n';
    outcome.exitCode = kExitRefused;
    return outcome;
  }

  StartSearch(s, kind);
  const double trials = TrialCount(s);
  // A step beyond the whole range leaves at most a trial that rounding has
  // moved off the grid.
  if (trials < 1 || s.FreqStep > s.FreqEnd - s.FreqLo) {
    err << kNoTrialInGrid << '\n';
    outcome.exitCode = kExitRefused;
    return outcome;
  }
  if (trials > static_cast<double>(request.maxTrials)) {
    err << "The search would make " << WholeNumber(trials) << " trials, more than --max-trials "
        << request.maxTrials << "...\n";
    outcome.exitCode = kExitRefused;
    return outcome;
  }
  const std::string fileName = request.spectrumFile.value_or(kDefaultSpectrumFile);
  BatchSearchHooks hooks(s, fileName, request.progress, request.threads, request.cancel);
  try {
    RunSearch(s, kind, hooks);
  } catch (const KorvelError& e) {
    // Only the spectrum file can fail; the engine has ended the run cleanly.
    hooks.FinishProgress();
    for (const std::string& m : hooks.Messages()) err << m << '\n';
    err << FileMessage(fileName, e) << '\n';
    outcome.exitCode = kExitWriteError;
    return outcome;
  }
  hooks.FinishProgress();
  for (const std::string& m : hooks.Messages()) err << m << '\n';
  outcome.status = hooks.Status();
  outcome.trials = TrialsMade(kind, hooks.Calls());
  // An engine that refuses the run says why on the status line.
  if (outcome.status.rfind(kDoneStatus, 0) != 0) {
    err << outcome.status << '\n';
    outcome.exitCode = kExitRefused;
  }
  return outcome;
}

void ComputeFinalLevels(AnalysisState& s, SearchKind kind) {
  if (MethodOf(kind).deeming && s.AmpDist.AmpTrials > 0) s.SigLevel = SignificanceLevels(s.AmpDist);
}

}  // namespace korvel::batch
