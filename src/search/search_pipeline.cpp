#include "search/search_pipeline.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "search/engine_support.h"
#include "search/search_methods.h"
#include "search/trial_grid.h"
#include "search/trial_record.h"

namespace korvel {

namespace {

// Above this many trials the statistic is kept per block of trials, in at
// most this many entries of a value and an index.
constexpr double kBlockEntries = 1e7;

// A count of trials in full, whatever its size.
std::string WholeNumber(double x) {
  char text[400];
  const auto result = std::to_chars(text, text + sizeof text, x, std::chars_format::fixed, 0);
  return std::string(text, result.ptr);
}

std::optional<std::string> MethodProblem(const SearchRequest& r, const Observations& o) {
  const SearchMethod& m = MethodOf(r.method);
  return m.extraCheck ? m.extraCheck(r, o) : std::nullopt;
}

PreparedSearch Prepared(const SearchRequest& r, const TrialGrid& grid, double from) {
  PreparedSearch p{r, grid, TrialCount(grid, from)};
  p.grid.start = from;
  return p;
}

}  // namespace

std::optional<std::string> DataProblem(const SearchRequest& r, const Observations& o) {
  const SearchMethod& m = MethodOf(r.method);
  const bool needsVariance = m.needsVariance && !(m.deeming && r.windowSpectrum);
  if (auto problem = CheckObservations(o, needsVariance); problem) return problem;
  const double span = o.jd.back() - o.jd.front();
  if (span == 0) return kZeroSpan;
  if (!(span > 0) || !std::isfinite(span)) return kDescendingDates;
  return std::nullopt;
}

std::variant<Refusal, PreparedSearch> PrepareSearch(const SearchRequest& r, const Observations& o) {
  if (auto problem = DataProblem(r, o)) return Refusal{*problem};
  const SearchMethod& m = MethodOf(r.method);
  if (!(r.pmin > 0) || !std::isfinite(r.pmin) || !(r.pmax > r.pmin) || !std::isfinite(r.pmax))
    return Refusal{m.rangeText};
  if (!(r.phaseShift > 0) || !std::isfinite(r.phaseShift)) return Refusal{m.stepText};
  const double span = o.jd.back() - o.jd.front();
  const double step = r.phaseShift / span;
  const double last = 1 / r.pmin;
  if (!(last + step > last)) return Refusal{kStepTooSmall};
  if (auto problem = MethodProblem(r, o)) return Refusal{*problem};

  const TrialGrid grid = GridOf(r.pmin, r.pmax, r.phaseShift, span);
  if (auto problem = CheckGrid(grid, grid.start)) return Refusal{*problem};
  PreparedSearch p = Prepared(r, grid, grid.start);
  // A step beyond the whole range leaves at most a trial that rounding has
  // moved off the grid.
  if (p.trials < 1 || grid.step > grid.freqEnd - grid.freqLo) return Refusal{kNoTrialInGrid};
  if (r.maxTrials > 0 && p.trials > static_cast<double>(r.maxTrials))
    return Refusal{"The search would make " + WholeNumber(p.trials) +
                   " trials, more than --max-trials " + std::to_string(r.maxTrials) + "..."};
  return p;
}

std::variant<Refusal, PreparedSearch> PrepareContinuation(const SearchRequest& r,
                                                          const Observations& o,
                                                          const TrialGrid& grid, double from) {
  if (auto problem = DataProblem(r, o)) return Refusal{*problem};
  if (auto problem = MethodProblem(r, o)) return Refusal{*problem};
  if (auto problem = CheckGrid(grid, from)) return Refusal{*problem};
  return Prepared(r, grid, from);
}

SearchResult FreshResult(const PreparedSearch& p) {
  const SearchMethod& m = MethodOf(p.request.method);
  SearchResult r;
  r.method = m.kind;
  r.grid = p.grid;
  r.freq = p.grid.start;
  r.best = EmptyBestList(m.emptyBest);
  return r;
}

SearchResult RunSearch(const PreparedSearch& p, const Observations& o, SearchHooks& hooks) {
  SearchResult r = FreshResult(p);
  ContinueSearch(p, o, hooks, r);
  return r;
}

void ContinueSearch(const PreparedSearch& p, const Observations& o, SearchHooks& hooks,
                    SearchResult& r) {
  TrialValues& v = r.statistic;
  if (v.trials == 0) {
    v.first = r.freq + r.grid.step;
    v.step = r.grid.step;
    const double trials = std::max(p.trials, 0.0);
    if (trials > static_cast<double>(TrialValues::kWholeTrials)) {
      v.perEntry = static_cast<int64_t>(std::ceil(trials / kBlockEntries));
      v.value.reserve(static_cast<size_t>(kBlockEntries) + 1);
      v.index.reserve(static_cast<size_t>(kBlockEntries) + 1);
    } else {
      v.value.reserve(static_cast<size_t>(trials));
    }
  }
  r.completed = false;
  r.span = o.jd.back() - o.jd.front();
  MethodOf(p.request.method).engine(p, o, hooks, r);
}

}  // namespace korvel
