// A survey run in one process: a pool of threads over the stars, each star
// loaded into its own analysis state and searched by each method exactly as
// korvel-batch search runs it (the adopted period from the peaks of its
// Lafler-Kinman and Deeming searches), its rows handed over as soon as the
// star is done. Threads left over when fewer stars than threads remain go to the
// searches of the last stars, so a survey of one star still uses every core,
// and a thread that finds no star left computes trials of the searches still
// running (TrialHelp), so no core idles while the last stars run.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "batch/survey_options.h"
#include "batch/survey_rows.h"

namespace korvel::batch {

// One star and the methods whose rows are wanted (in the order of the
// options' methods; a resumed survey leaves out those already written).
struct SurveyStar {
  std::string file;
  std::vector<SurveyMethod> methods;
};

struct StarResult {
  std::vector<SurveyRow> rows;  // one per wanted method, in its order
  std::string warnings;         // what the reader passed over, messages of a run: for stderr
};

// The stars of the options with the methods not yet in done (pairs of file
// and method name); stars with nothing left are dropped.
std::vector<SurveyStar> PlanSurvey(const SurveyOptions& options,
                                   const std::set<std::pair<std::string, std::string>>& done);

// Loads and searches one star with trial threads per search. A star that
// cannot be read (a directory, pipe or device is not even opened), or a
// method that refuses it, gets its message in the error field. Throws SearchCancelled
// (batch_hooks.h) once the options' cancel flag is set during a search.
StarResult SearchStar(const SurveyStar& star, const SurveyOptions& options, int threads);

// The rows of a star whose search failed as a whole (out of memory, a task
// lost on a cluster): each wanted method's row with only the error.
StarResult FailedStar(const SurveyStar& star, const std::string& error);

// The star's rows as one piece of text, in the output's format: written in
// one go, so that an interrupted survey leaves whole stars.
std::string StarRowsText(const StarResult& star, RowFormat format, const RowLayout& layout);

struct SurveyOutcome {
  int64_t starsDone = 0;
  bool cancelled = false;  // stopped by the cancel flag before every star was done
};

// Runs the stars on options.jobs threads. onStar is called once per
// finished star, never by two threads at once; a star abandoned because of
// the cancel flag is not reported.
SurveyOutcome RunSurvey(const SurveyOptions& options, const std::vector<SurveyStar>& stars,
                        const std::function<void(const StarResult&)>& onStar);

}  // namespace korvel::batch
