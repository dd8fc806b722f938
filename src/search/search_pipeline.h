// The one way every front end runs a search: PrepareSearch applies the
// method's rules and checks to a request and its observations, builds the
// grid and counts the trials, and gives a refusal (the user-facing text) or
// a prepared search; RunSearch runs it through the method's engine. The
// window (Continue included), korvel-batch search, plot and survey, and the
// Python module all come through here.
#pragma once

#include <optional>
#include <string>
#include <variant>

#include "search/search_hooks.h"
#include "search/search_values.h"

namespace korvel {

inline constexpr const char* kStepTooSmall =
    "The maximum phase shift is too small for this period range...";

struct Refusal {
  std::string text;
};

// What a fresh search and a resumed one both refuse in the data: no
// observations (or, unless a window spectrum, equal magnitudes), and a time
// span that is zero, negative or not finite.
std::optional<std::string> DataProblem(const SearchRequest& r, const Observations& o);

// The data, then the period range, the phase shift (also one so small that
// the frequency no longer advances) and what the method checks besides;
// then the grid, which must hold a trial and, with a limit, no more trials
// than the limit.
std::variant<Refusal, PreparedSearch> PrepareSearch(const SearchRequest& r, const Observations& o);

// A search resumed on a grid it was started on (a stopped search, or one
// read back from a condition file), from `from`, the frequency of the trial
// before the next: the data's and the method's checks and the grid's.
std::variant<Refusal, PreparedSearch> PrepareContinuation(const SearchRequest& r,
                                                          const Observations& o,
                                                          const TrialGrid& grid, double from);

// The result before the first trial: empty best list and display columns,
// the frequency at the grid's start.
SearchResult FreshResult(const PreparedSearch& p);

// Runs the prepared search from its start.
SearchResult RunSearch(const PreparedSearch& p, const Observations& o, SearchHooks& hooks);
// Runs it on from where `r` stands. When the engine throws (a spectrum file
// that fails), r holds the trials made so far.
void ContinueSearch(const PreparedSearch& p, const Observations& o, SearchHooks& hooks,
                    SearchResult& r);

}  // namespace korvel
