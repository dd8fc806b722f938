// A period search run from the command line as the window runs it: the
// dialog's parameters, the panel's switches, the checks, the start and the
// engine. Shared by the search and plot commands.
#pragma once

#include <CLI/CLI.hpp>
#include <atomic>
#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "core/analysis_state.h"
#include "core/text_format.h"
#include "io/analysis_file.h"
#include "search/document_search.h"
#include "search/search_parameters.h"

namespace korvel::batch {

// More trials than this are refused unless --max-trials allows them: a tiny
// phase shift or minimum period would otherwise start a search of 10^12
// trials without a word. The window has Stop instead.
inline constexpr int64_t kDefaultMaxTrials = 1000000000;

// Adds --max-trials to a command that runs a search.
CLI::Option* AddMaxTrialsOption(CLI::App& command, int64_t& maxTrials);

// Adds --threads N (default: KORVEL_THREADS, else every core); a survey
// names it --jobs and says what the threads work on.
CLI::Option* AddThreadsOption(CLI::App& command, int& threads,
                              const std::string& name = "--threads",
                              const std::string& workOn = "the trials");

// The period-search parameters of search and survey: --pmax, --pmin,
// --phase-shift, and the secondary period's --period, --epoch,
// --extremum-date, --bins, --mode.
struct SearchParameterOptions {
  CLI::Option* pmax = nullptr;
  CLI::Option* pmin = nullptr;
  CLI::Option* phaseShift = nullptr;
  CLI::Option* period = nullptr;
  std::vector<CLI::Option*> secondaryOnly;  // --period, --epoch, --extremum-date, --bins, --mode
};
SearchParameterOptions AddSearchParameterOptions(CLI::App& command, SearchParameters& p,
                                                 const std::string& periodHelp);

// The parameters an analysis file holds for the dialog of the kind, taken
// where the command line gave none (and the file has a number). True when
// Pmax is then given by either.
bool TakeAnalysisParameters(const AnalysisDocument& d, SearchKind kind,
                            const SearchParameterOptions& given, SearchParameters& p);

// True when any of the options was given on the command line.
bool AnyGiven(const std::vector<CLI::Option*>& options);

// A parameter's default as --help shows it.
template <class T>
std::string DefaultText(const std::optional<T>& value) {
  return value ? ShortestText(static_cast<double>(*value)) : std::string();
}

// Adds the option that names a search method (lk, deeming, secondary).
CLI::Option* AddMethodOption(CLI::App& command, const std::string& name, SearchKind& kind,
                             const std::string& help);

struct BatchSearchRequest {
  SearchKind kind = SearchKind::LaflerKinman;
  SearchParameters params;
  bool pmaxGiven = false;                   // else the dialog's default of the kind
  bool periodGiven = false;                 // to explain a refused secondary search
  bool window = false;                      // "Window spectrum"
  std::optional<std::string> spectrumFile;  // "Spectrum to file" with this name
  std::string analysis;                     // the analysis file loaded, an input too
  std::ostream* progress = nullptr;         // where a progress bar is drawn
  int64_t maxTrials = kDefaultMaxTrials;    // a larger grid is refused
  int threads = 1;                          // threads computing the trials
  // Once set, the search ends by throwing SearchCancelled (batch_hooks.h).
  const std::atomic<bool>* cancel = nullptr;
};

struct BatchSearchOutcome {
  std::optional<int> exitCode;  // set when the search was refused or a file failed
  std::string status;           // the final status line
  SearchResult result;          // of a run that started
  PreparedSearch search;        // what ran
};

// Runs the search on the loaded set; refusals and messages go to err. A
// grid of more than maxTrials trials is refused before the first trial.
BatchSearchOutcome RunBatchSearch(AnalysisState& s, const BatchSearchRequest& request,
                                  std::ostream& err);

}  // namespace korvel::batch
