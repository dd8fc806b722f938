// The three period searches and everything that differs between them, in
// one table: the view that shows each, its name on the command line, its
// engine, the value an empty best list starts from, whether it weighs the
// observations and what else it checks. Code that needs to know which search
// it runs asks the table instead of switching on the kind.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "core/analysis_state.h"
#include "search/search_hooks.h"

namespace korvel {

enum class SearchKind { LaflerKinman, Deeming, Secondary };

struct SearchMethod {
  SearchKind kind;
  char view;         // the view its spectrum is drawn in: 'l', 'd', 's'
  const char* name;  // on the command line and in reports: "lk", "deeming", "secondary"
  void (*engine)(AnalysisState&, SearchHooks&);
  double emptyBest;       // the statistic of an empty place in the best list
  bool deeming;           // weights, amplitude distribution, spectrum file, window spectrum
  bool secondary;         // a secondary period over a primary one: its own dialog
  bool needsVariance;     // divides by MagVar (except a window spectrum)
  const char* rangeText;  // the dialog's message for a bad period range
  const char* stepText;   // the dialog's message for a bad phase shift
  // What the search needs besides the observations and the grid (the
  // secondary period's primary period and bins), or nothing.
  std::optional<std::string> (*extraCheck)(const AnalysisState&);
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
