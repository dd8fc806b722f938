// The window's document and the analysis file: what of AnalysisState an
// analysis file records, and a file's analysis put into a state. The window,
// korvel-batch and Python all restore through RestoreAnalysis, so a file
// means the same thing to each.
#pragma once

#include <optional>
#include <string>

#include "core/analysis_state.h"
#include "io/analysis_file.h"
#include "io/observation_file.h"

namespace korvel {

// Why the state has no analysis to save, or nothing: no observations loaded
// from a file, or a search running.
std::optional<std::string> AnalysisSaveProblem(const AnalysisState& s);

// The state's analysis: the observation file and its load, the deletions
// and marks (named by reading the file again), the magnitudes where they are
// no longer the file's, the elements, the last search ended since the load
// (without peaks: the state keeps none), the mean curves, the collecting
// file's name and the view. The search dialogs' fields and the residual
// file's name are the window's to fill in. Throws KorvelError when the file
// can no longer be read or no longer gives the observations loaded.
AnalysisDocument AnalysisOfState(const AnalysisState& s);

struct RestoreOutcome {
  std::optional<std::string> refusal;  // why the analysis cannot be restored
  LoadReport load;                     // what reading the observation file reported
};

// Loads `observationFile` into s as the document loaded it (the parameter
// defaults applied first), checks that it gives the same observations, and
// applies the deletions, magnitudes, marks, elements, last search, mean
// curves and view. On a refusal s is left part-way: restore into a copy.
RestoreOutcome RestoreAnalysis(AnalysisState& s, const AnalysisDocument& d,
                               const std::string& observationFile);

}  // namespace korvel
