// A period search run from the command line as the window runs it: the
// dialog's parameters, the panel's switches, the checks, the start and the
// engine. Shared by the search and plot commands.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>

#include "batch/search_parameters.h"
#include "core/analysis_state.h"
#include "search/search_start.h"

namespace korvel::batch {

struct BatchSearchRequest {
  SearchKind kind = SearchKind::LaflerKinman;
  SearchParameters params;
  bool pmaxGiven = false;                   // else the dialog's default of the kind
  bool periodGiven = false;                 // to explain a refused secondary search
  bool window = false;                      // "Window spectrum"
  std::optional<std::string> spectrumFile;  // "Spectrum to file" with this name
  std::ostream* progress = nullptr;         // where a progress bar is drawn
};

struct BatchSearchOutcome {
  std::optional<int> exitCode;  // set when the search was refused or a file failed
  std::string status;           // the final status line
  int64_t trials = 0;           // trials made
};

// Runs the search on the loaded set; refusals and messages go to err.
BatchSearchOutcome RunBatchSearch(AnalysisState& s, const BatchSearchRequest& request,
                                  std::ostream& err);

}  // namespace korvel::batch
