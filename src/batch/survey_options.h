// What a survey is asked to do: the stars, how each is loaded, which
// searches run on it with which parameters, how many places of the best
// list and distinct peaks each row keeps and how many threads work. The command line fills it;
// the benchmark and tests may fill it directly.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "batch/batch_search.h"
#include "batch/search_peaks.h"
#include "batch/survey_method.h"
#include "batch/survey_rows.h"
#include "io/observation_file.h"
#include "search/search_methods.h"
#include "search/search_parameters.h"

namespace korvel::batch {

struct SurveyOptions {
  std::vector<std::string> files;  // in order, each once
  ReadOptions read;                // --column, --read-zeros, --jd-min, --jd-max
  std::vector<SurveyMethod> methods = {SearchKind::LaflerKinman, SearchKind::Deeming};
  SearchParameters params;        // as korvel-batch search takes them
  MethodParameters methodParams;  // of mhaov, pdm and ce
  bool pmaxGiven = false;         // else each method's dialog default
  bool periodGiven = false;       // else the secondary period folds on the star's lk period
  int64_t maxTrials = kDefaultMaxTrials;
  int top = kDefaultTop;
  // Distinct peaks of each row (none unless asked for) and how they are
  // computed; the adopted period chooses among as many of each search.
  PeakOptions peaks{.count = 0};
  int jobs = 1;
  // Once set, no further star starts and the running ones are abandoned.
  const std::atomic<bool>* cancel = nullptr;

  RowLayout Layout() const { return {top, peaks.count}; }
};

// "lk,deeming": the methods named, each once, in the order given; the
// message naming the first unknown name otherwise.
std::optional<std::string> ParseMethodList(const std::vector<std::string>& names,
                                           std::vector<SurveyMethod>& methods);

// True when the method is among the options' methods.
bool HasMethod(const SurveyOptions& options, const SurveyMethod& method);

// The secondary period without --period folds each star on its own
// Lafler-Kinman period, which lk among the methods provides.
bool SecondaryUsesLkPeriod(const SurveyOptions& options);

// Why the options cannot run (the secondary period with neither --period
// nor lk; options of a method not among the methods; the adopted period
// without peaks to choose among), or nothing.
std::optional<std::string> SurveyRefusal(const SurveyOptions& options, bool secondaryOptionsGiven);

// Bounds of a list file: a longer line, more files or more bytes is no list
// a survey is meant to run (a device such as /dev/zero, a binary file).
inline constexpr size_t kMaxListLine = 4096;
inline constexpr size_t kMaxListEntries = 1'000'000;
inline constexpr size_t kMaxListBytes = size_t{64} << 20;

// Appends the names of a list file, one per line (blank lines and lines
// starting with # skipped, a CR before the line end dropped), to files. The
// reason it could not be read, or nothing: a line holding a NUL byte or
// longer than kMaxListLine names its line.
std::optional<std::string> ReadStarList(const std::string& listFile,
                                        std::vector<std::string>& files);

// The files without repeats, first occurrence kept: a star is one row per
// method, whatever the list says.
std::vector<std::string> WithoutRepeats(const std::vector<std::string>& files);

}  // namespace korvel::batch
