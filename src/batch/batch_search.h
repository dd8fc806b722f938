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

// The methods that take parameters of their own beyond the grid, by their
// command-line names: multi-harmonic analysis of variance, phase dispersion
// minimisation and conditional entropy.
inline constexpr const char* kHarmonicsMethod = "mhaov";
inline constexpr const char* kPdmMethod = "pdm";
inline constexpr const char* kEntropyMethod = "ce";

// What those methods take, as SearchRequest carries it, with its defaults.
struct MethodParameters {
  int harmonics = SearchRequest{}.harmonics;
  int pdmBins = SearchRequest{}.pdmBins, pdmCovers = SearchRequest{}.pdmCovers;
  int cePhaseBins = SearchRequest{}.cePhaseBins, ceMagBins = SearchRequest{}.ceMagBins;
};

// --bins as pdm's number of phase bins into m, or why it cannot be (the
// secondary period's bins have another range).
std::optional<std::string> TakePdmBins(std::optional<int> bins, MethodParameters& m);
// "pdm: number of phase bins (default 10, 2 to 1000)": --bins's help for pdm.
std::string PdmBinsHelp(const MethodParameters& m);

// An option of one of those methods and the method's name.
struct MethodOption {
  CLI::Option* option;
  const char* method;
};

// Adds --harmonics, --covers, --phase-bins and --mag-bins into m (pdm's
// --bins is the caller's, which has bins of its own).
void AddMethodParameterOptions(CLI::App& command, MethodParameters& m,
                               std::vector<MethodOption>& added);

// The first of the options given that `method` (nothing: no search) does
// not take, as "--covers belongs to --method pdm..." with methodOption as
// the command's name of the method option; nothing when all belong.
std::optional<std::string> MisplacedMethodOption(const std::vector<MethodOption>& options,
                                                 const SearchMethod* method,
                                                 const std::string& methodOption);

// The period-search parameters of search and survey: --pmax, --pmin,
// --phase-shift, and the secondary period's --period, --epoch,
// --extremum-date, --bins, --mode. Given `methods`, also --harmonics,
// --covers, --phase-bins and --mag-bins into it, and --bins serves pdm too.
struct SearchParameterOptions {
  CLI::Option* pmax = nullptr;
  CLI::Option* pmin = nullptr;
  CLI::Option* phaseShift = nullptr;
  CLI::Option* period = nullptr;
  std::vector<CLI::Option*> secondaryOnly;  // --period, --epoch, --extremum-date, --bins, --mode
  CLI::Option* bins = nullptr;              // secondary's, and pdm's with `methods`
  std::vector<MethodOption> methodOnly;     // --harmonics, --covers, --phase-bins, --mag-bins
};
SearchParameterOptions AddSearchParameterOptions(CLI::App& command, SearchParameters& p,
                                                 const std::string& periodHelp,
                                                 MethodParameters* methods = nullptr);

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

// Adds the option that names a search method (lk, deeming, secondary, ...:
// the table's names).
CLI::Option* AddMethodOption(CLI::App& command, const std::string& name, SearchKind& kind,
                             const std::string& help);

// "lk (Lafler-Kinman), deeming (Deeming), ...": every method of the table
// with its title, for help texts.
std::string MethodChoices();

struct BatchSearchRequest {
  SearchKind kind = SearchKind::LaflerKinman;
  SearchParameters params;
  bool pmaxGiven = false;                   // else the dialog's default of the kind
  bool periodGiven = false;                 // to explain a refused secondary search
  bool window = false;                      // "Window spectrum"
  std::optional<std::string> spectrumFile;  // "Spectrum to file" with this name
  MethodParameters methods;                 // of mhaov, pdm and ce
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
