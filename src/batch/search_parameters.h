// The search parameters of korvel-batch, stored into the analysis state as
// the window's dialogs store them: field by field in the dialog's order,
// each value at once, the first bad one refused with that field's message,
// and the frequency axis set once all are accepted.
#pragma once

#include <optional>
#include <string>

#include "core/analysis_state.h"
#include "search/search_start.h"

namespace korvel::batch {

// The dialogs' default texts.
inline constexpr double kDefaultPmax = 100;            // "Initial parameters"
inline constexpr double kDefaultSecondaryPmax = 1000;  // secondary-period dialog
inline constexpr double kDefaultPmin = 1;
inline constexpr double kDefaultPhaseShift = 0.05;
inline constexpr int kDefaultBins = 8;

struct SearchParameters {
  double pmax = kDefaultPmax;
  double pmin = kDefaultPmin;
  double phaseShift = kDefaultPhaseShift;
  // Secondary period only.
  double period = 0, epoch = 0, extremumDate = 0;
  int bins = kDefaultBins;
  int mode = 1;  // 1: secondary phases into bins, 2: primary phases
};

// "Initial parameters" (Lafler-Kinman, Deeming) or the secondary-period
// dialog, by kind: the message of the first field refused, or nothing.
// A value that is not finite is refused as a failed conversion.
std::optional<std::string> ApplySearchParameters(AnalysisState& s, SearchKind kind,
                                                 const SearchParameters& p);

}  // namespace korvel::batch
