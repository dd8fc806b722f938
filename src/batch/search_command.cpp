#include "batch/search_command.h"

#include <iostream>
#include <limits>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "batch/batch_hooks.h"
#include "batch/batch_search.h"
#include "batch/file_messages.h"
#include "batch/load_options.h"
#include "batch/search_peaks.h"
#include "batch/search_report.h"
#include "core/error.h"
#include "search/document_search.h"
#include "search/period_error.h"
#include "search/trial_record.h"

namespace korvel::batch {

namespace {

struct SearchArgs {
  LoadArgs load;
  SearchKind kind = SearchKind::LaflerKinman;
  SearchParameters params;
  MethodParameters methods;
  bool window = false;
  std::string spectrumFile;
  bool json = false, progress = false;
  int64_t maxTrials = kDefaultMaxTrials;
  PeakOptions peaks;
  int threads = 1;
  // Options whose presence matters, not only their value.
  SearchParameterOptions given;
  CLI::Option* spectrumFileOption = nullptr;
  std::vector<CLI::Option*> deemingOnly;
};

// Options of one method given to another are a mistake worth reporting:
// silently ignoring --window would print a data spectrum as a window one.
std::optional<std::string> MisplacedOption(const SearchArgs& args) {
  const SearchMethod& method = MethodOf(args.kind);
  const bool pdm = std::string_view(method.name) == kPdmMethod;
  if (!method.secondary) {
    std::vector<CLI::Option*> misplaced = args.given.secondaryOnly;
    // pdm has bins of its own.
    if (pdm) std::erase(misplaced, args.given.bins);
    if (AnyGiven(misplaced))
      return pdm ? "--period, --epoch, --extremum-date and --mode belong to --method secondary..."
                 : "--period, --epoch, --extremum-date, --bins and --mode belong to --method "
                   "secondary...";
  }
  if (!method.deeming && AnyGiven(args.deemingOnly))
    return "--window and --spectrum-file belong to --method deeming...";
  return MisplacedMethodOption(args.given.methodOnly, &method, "--method");
}

// --bins is pdm's number of phase bins too; the secondary period's range
// differs, so pdm's is checked here.
std::optional<std::string> TakePdmBins(SearchArgs& args) {
  if (std::string_view(MethodOf(args.kind).name) != kPdmMethod || args.given.bins->count() == 0)
    return std::nullopt;
  return TakePdmBins(args.params.bins, args.methods);
}

int RunSearchCommand(SearchArgs& args) {
  if (const auto misplaced = MisplacedOption(args)) {
    std::cerr << *misplaced << '\n';
    return kExitRefused;
  }
  if (const auto badBins = TakePdmBins(args)) {
    std::cerr << *badBins << '\n';
    return kExitRefused;
  }
  AnalysisState s;
  const LoadOutcome outcome = LoadForBatch(s, args.load, std::cerr);
  if (!outcome.loaded) return outcome.exitCode;

  BatchSearchRequest request;
  request.kind = args.kind;
  request.params = args.params;
  request.pmaxGiven = args.given.pmax->count() > 0;
  request.periodGiven = args.given.period->count() > 0;
  request.window = args.window;
  request.methods = args.methods;
  request.analysis = args.load.analysis;
  if (outcome.analysis) {
    request.pmaxGiven =
        TakeAnalysisParameters(*outcome.analysis, args.kind, args.given, request.params);
    request.periodGiven = request.periodGiven || request.params.period != 0.0;
    request.window = request.window || outcome.analysis->search.windowSpectrum;
  }
  if (args.spectrumFileOption->count() > 0) request.spectrumFile = args.spectrumFile;
  request.progress = args.progress ? &std::cerr : nullptr;
  request.maxTrials = args.maxTrials;
  request.threads = args.threads;
  const BatchSearchOutcome searched = RunBatchSearch(s, request, std::cerr);
  if (searched.exitCode) return *searched.exitCode;

  if (args.json) {
    const std::vector<PeakReport> peaks =
        SearchPeaks(searched.result, searched.search, ObservationsOf(s), args.peaks, args.threads);
    nlohmann::ordered_json j =
        SearchJson(searched.result, searched.status, &peaks, args.peaks.bootstrap > 0);
    j["warnings"] = ReadWarningsJson(outcome.diagnostics, s.Loaded);
    std::cout << j.dump() << '\n';
  } else {
    const SearchResult& r = searched.result;
    const double bestFapPdm = FilledPlaces(r.best) > 0 ? PdmFap(r, &searched.search.request,
                                                                ObservationsOf(s), r.best[0].value)
                                                       : std::numeric_limits<double>::quiet_NaN();
    PrintSearchText(r, searched.status, std::cout, bestFapPdm);
  }
  std::cout.flush();
  return outcome.exitCode;
}

}  // namespace

Command AddSearchCommand(CLI::App& parent) {
  auto args = std::make_shared<SearchArgs>();
  CLI::App* app = parent.add_subcommand(
      "search",
      "Run a period search as the window runs it and print the 20 best trials (or, with "
      "--json, every result)");
  AddMethodOption(*app, "--method", args->kind, "The search: " + MethodChoices())->required();
  AddLoadOptions(*app, args->load);
  args->given = AddSearchParameterOptions(*app, args->params, "Secondary: the primary period",
                                          &args->methods);
  args->deemingOnly = {
      app->add_flag("--window", args->window, "Deeming: compute the spectral window"),
      args->spectrumFileOption =
          app->add_option("--spectrum-file", args->spectrumFile,
                          "Deeming: write every trial (frequency, amplitude) to this file"),
  };
  AddMaxTrialsOption(*app, args->maxTrials);
  AddThreadsOption(*app, args->threads);
  app->add_flag("--json", args->json, kJsonHelp);
  AddPeakOptions(*app, args->peaks, true);
  app->add_flag("--progress", args->progress, "Draw a progress bar on stderr");
  return {app, [args] { return RunSearchCommand(*args); }};
}

}  // namespace korvel::batch
