#include "batch/batch_search.h"

#include <charconv>
#include <cmath>
#include <map>
#include <ostream>
#include <string_view>
#include <variant>

#include "batch/batch_hooks.h"
#include "batch/file_messages.h"
#include "batch/load_options.h"
#include "core/error.h"
#include "core/thread_count.h"
#include "io/file_paths.h"
#include "search/engine_support.h"
#include "search/multi_harmonic_aov.h"
#include "search/pdm.h"
#include "search/search_pipeline.h"
#include "search/significance.h"

namespace korvel::batch {

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

void AddMethodParameterOptions(CLI::App& command, MethodParameters& m,
                               std::vector<MethodOption>& added) {
  const auto add = [&](const std::string& name, int& value, const std::string& help, int low,
                       int high, const char* method) {
    CLI::Option* option =
        command.add_option(name, value, help)->check(CLI::Range(low, high))->capture_default_str();
    added.push_back({option, method});
  };
  add("--harmonics", m.harmonics,
      "mhaov: harmonics of the Fourier series fitted at each trial period", 1, kMaxAovHarmonics,
      kHarmonicsMethod);
  add("--covers", m.pdmCovers,
      "pdm: covers, each set of phase bins shifted by 1/(bins x covers) from the one before", 1,
      kMaxPdmCovers, kPdmMethod);
  add("--phase-bins", m.cePhaseBins, "ce: phase bins of the entropy's grid", kMinPhaseBins,
      kMaxPhaseBins, kEntropyMethod);
  add("--mag-bins", m.ceMagBins, "ce: magnitude bins of the entropy's grid", kMinPhaseBins,
      kMaxPhaseBins, kEntropyMethod);
}

std::optional<std::string> MisplacedMethodOption(const std::vector<MethodOption>& options,
                                                 const SearchMethod* method,
                                                 const std::string& methodOption) {
  for (const MethodOption& o : options)
    if (o.option->count() > 0 && !(method && std::string_view(method->name) == o.method))
      return o.option->get_name() + " belongs to " + methodOption + " " + o.method + "...";
  return std::nullopt;
}

std::string PdmBinsHelp(const MethodParameters& m) {
  return "pdm: number of phase bins (default " + std::to_string(m.pdmBins) + ", " +
         std::to_string(kMinPhaseBins) + " to " + std::to_string(kMaxPhaseBins) + ")";
}

std::optional<std::string> TakePdmBins(std::optional<int> bins, MethodParameters& m) {
  const int b = bins.value_or(0);
  if (b < kMinPhaseBins || b > kMaxPhaseBins)
    return "--bins: pdm takes " + std::to_string(kMinPhaseBins) + " to " +
           std::to_string(kMaxPhaseBins) + " phase bins...";
  m.pdmBins = b;
  return std::nullopt;
}

SearchParameterOptions AddSearchParameterOptions(CLI::App& command, SearchParameters& p,
                                                 const std::string& periodHelp,
                                                 MethodParameters* methods) {
  SearchParameterOptions o;
  o.pmax = command.add_option("--pmax", p.pmax,
                              "Maximum trial period (default 100; secondary period 1000)");
  o.pmin = command.add_option("--pmin", p.pmin, "Minimum trial period")
               ->default_str(DefaultText(p.pmin));
  o.phaseShift = command
                     .add_option("--phase-shift", p.phaseShift,
                                 "Maximum phase shift between the first and last observation "
                                 "from one trial to the next")
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
      o.bins = command.add_option("--bins", p.bins, "Secondary: number of phase bins")
                   ->default_str(DefaultText(p.bins)),
      command
          .add_option("--mode", p.mode,
                      "Secondary: 1 divides the secondary phases by bins, 2 the primary phases")
          ->check(CLI::IsMember({1, 2}))
          ->capture_default_str(),
  };
  if (methods) {
    o.bins->description("Secondary: number of phase bins (default " + DefaultText(p.bins) + "); " +
                        PdmBinsHelp(*methods));
    o.bins->default_str("");
    AddMethodParameterOptions(command, *methods, o.methodOnly);
  }
  return o;
}

bool TakeAnalysisParameters(const AnalysisDocument& d, SearchKind kind,
                            const SearchParameterOptions& given, SearchParameters& p) {
  const AnalysisSearchParameters& a = d.search;
  const bool secondary = MethodOf(kind).secondary;
  const auto take = [](const CLI::Option* option, const auto& value, auto& target) {
    if (option->count() == 0 && value) target = value;
  };
  take(given.pmax, secondary ? a.secondaryPmax : a.pmax, p.pmax);
  take(given.pmin, secondary ? a.secondaryPmin : a.pmin, p.pmin);
  take(given.phaseShift, secondary ? a.secondaryPhaseShift : a.phaseShift, p.phaseShift);
  if (secondary) {
    take(given.secondaryOnly[0], a.secondaryPeriod, p.period);
    take(given.secondaryOnly[1], a.secondaryEpoch, p.epoch);
    take(given.secondaryOnly[2], a.secondaryExtremumDate, p.extremumDate);
    take(given.secondaryOnly[3], a.secondaryBins, p.bins);
    if (given.secondaryOnly[4]->count() == 0) p.mode = a.secondaryMode;
  }
  return given.pmax->count() > 0 || (secondary ? a.secondaryPmax : a.pmax).has_value();
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

std::string MethodChoices() {
  std::string choices;
  for (const SearchMethod& m : SearchMethods())
    choices += (choices.empty() ? "" : ", ") + std::string(m.name) + " (" + m.title + ")";
  return choices;
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
    if (const auto refusal =
            OutputIsInput(*request.spectrumFile, {s.DataFileName, request.analysis})) {
      err << *refusal << '\n';
      outcome.exitCode = kExitRefused;
      return outcome;
    }
  // The panel's switches: "Window spectrum" and "Spectrum to file".
  if (MethodOf(kind).deeming) {
    s.WindowSpec = request.window;
    if (request.spectrumFile) s.SpecToFile = true;
  }
  SearchRequest searchRequest = RequestFromDocument(s, kind, request.threads);
  if (MethodOf(kind).deeming && request.spectrumFile)
    searchRequest.spectrumFile = *request.spectrumFile;
  searchRequest.maxTrials = request.maxTrials;
  searchRequest.harmonics = request.methods.harmonics;
  searchRequest.pdmBins = request.methods.pdmBins;
  searchRequest.pdmCovers = request.methods.pdmCovers;
  searchRequest.cePhaseBins = request.methods.cePhaseBins;
  searchRequest.ceMagBins = request.methods.ceMagBins;
  const Observations observations = ObservationsOf(s);
  const auto prepared = PrepareSearch(searchRequest, observations);
  if (const Refusal* refusal = std::get_if<Refusal>(&prepared)) {
    err << refusal->text << '\n';
    outcome.exitCode = kExitRefused;
    return outcome;
  }
  const PreparedSearch& search = std::get<PreparedSearch>(prepared);
  StartSearch(s, kind);
  BatchSearchHooks hooks(request.progress, request.threads, request.cancel);
  SearchResult result = FreshResult(search);
  // Whatever ends the run, the document holds the trials made.
  const auto finish = [&] {
    ResultIntoDocument(result, s);
    s.RunCode = 'e';
    hooks.FinishProgress(result.statistic.trials);
    if (result.notice) err << *result.notice << '\n';
  };
  try {
    ContinueSearch(search, observations, hooks, result);
  } catch (const KorvelError& e) {
    // Only the spectrum file can fail; the engine has ended the run cleanly.
    finish();
    err << FileMessage(searchRequest.spectrumFile, e) << '\n';
    outcome.exitCode = kExitWriteError;
    return outcome;
  }
  finish();
  outcome.status = result.amplitudes ? DeemingSummary(*result.amplitudes) : kDoneStatus;
  outcome.result = std::move(result);
  outcome.search = search;
  return outcome;
}

}  // namespace korvel::batch
