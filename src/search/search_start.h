// The entry points the search commands (and korvel-batch) call: the guard
// that refuses a search the data cannot support, the starting state of a
// fresh search, and one dispatch to the three engines.
#pragma once

#include <optional>
#include <string>

#include "core/analysis_state.h"
#include "search/search_hooks.h"
#include "search/search_methods.h"

namespace korvel {

// The view letter of each search: 'l', 'd', 's'.
inline char ViewLetter(SearchKind kind) {
  return MethodOf(kind).view;
}

// What a fresh search and a resumed one both refuse in the data: a search
// already running, no observations (or, unless a window spectrum, equal
// magnitudes), and a time span that is zero, negative or not finite.
std::optional<std::string> DataProblem(const AnalysisState& s, SearchKind kind);

// Run after the dialog has stored the parameters (FreqStep still the phase
// shift) and before anything else changes: the message that refuses the
// search, or nothing. Refused: a search already running (a second one would
// run nested inside the first and leave it on the second's values); no
// observations; a zero or negative time span JD[NObs] - JD[1]; all
// magnitudes equal (except for a window spectrum, which ignores them);
// period limits or phase shift the dialog would refuse, or a phase shift so
// small that the frequency no longer advances; for the secondary period a
// bad primary period or bin number, more than 255 bins, and in mode 1 no more
// observations than bins.
std::optional<std::string> CheckSearchable(const AnalysisState& s, SearchKind kind);

// The command's steps after a confirmed dialog, except hiding the
// Prewhitening button: RunCode 'r', View, DataReady 'n', spectrum and best
// list cleared ((0, 10, 0), or (0, 0, 0) for Deeming), the Deeming weights,
// and the trial grid.
void StartSearch(AnalysisState& s, SearchKind kind);

// Runs the kind's engine.
void RunSearch(AnalysisState& s, SearchKind kind, SearchHooks& hooks);

inline constexpr const char* kSearchRunning = "A search is running: press Stop first...";
inline constexpr const char* kStepTooSmall =
    "The maximum phase shift is too small for this period range...";

}  // namespace korvel
