// The period searches and everything that differs between them, in one
// table: the view that shows each, its name on the command line, its
// statistic and which way is better, its engine, what it checks and where it
// lets its caller in. Code that needs to know which search it runs asks the
// table instead of switching on the kind; a new method is one engine and one
// row.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "core/analysis_state.h"
#include "search/search_hooks.h"
#include "search/search_values.h"
#include "search/trial_loop.h"

namespace korvel {

using SearchEngine = void (*)(const PreparedSearch&, const Observations&, SearchHooks&,
                              SearchResult&);

// A search's own whole-number parameter: its caption in "Initial
// parameters" (where it follows the phase shift), its key in an analysis
// file (korvel-batch's option name), and the request's and the document's
// field that hold it. The row's extra check judges its values.
struct MethodParameter {
  const char* caption;  // "Bins"
  const char* key;      // "bins"
  int SearchRequest::*request;
  int32_t AnalysisState::*document;
};

// The most own parameters a row may have: the fields "Initial parameters" holds.
inline constexpr size_t kMaxOwnFields = 2;

struct SearchMethod {
  SearchKind kind;
  char view;              // the view its spectrum is drawn in: 'l', 'd', 's', 'g', 'a', 'p', 'c'
  const char* name;       // on the command line and in reports: "lk", "deeming", "gls", "pdm"
  const char* title;      // in the window's texts: "Lafler-Kinman", "Deeming", "Secondary period"
  const char* statistic;  // what the best list's value is
  bool smallerIsBetter;   // the best list's order
  SearchEngine engine;
  double emptyBest;       // the statistic of an empty place in the best list
  bool deeming;           // weights, amplitude distribution, spectrum file, window spectrum
  bool secondary;         // a secondary period over a primary one: its own dialog
  bool needsVariance;     // divides by the magnitudes' variance (except a window spectrum)
  EventsAt events;        // where in a trial the caller is let in
  const char* rangeText;  // the dialog's message for a bad period range
  const char* stepText;   // the dialog's message for a bad phase shift
  // What the search needs besides the observations and the grid (the
  // secondary period's primary period and bins), or nothing.
  std::optional<std::string> (*extraCheck)(const SearchRequest&, const Observations&);
  // Its own parameters in the dialog's order (at most kMaxOwnFields).
  std::span<const MethodParameter> parameters;
};

std::span<const SearchMethod> SearchMethods();
const SearchMethod& MethodOf(SearchKind kind);
// The search a view letter shows or a command-line name names; nothing for
// a letter or name of no search.
const SearchMethod* MethodOfView(char view);
const SearchMethod* MethodNamed(std::string_view name);
// "lk, deeming, secondary": for help texts and messages.
std::string MethodNames();

}  // namespace korvel
