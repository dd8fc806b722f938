// What the search dialogs tell the user before a search starts: how the
// dates sample the trial periods, and how long the search will take on this
// machine. Plain values in and out; the wording is the dialogs'.
#pragma once

#include <optional>
#include <span>

#include "search/search_values.h"

namespace korvel {

// Gaps between consecutive dates up to this long count as "within a night".
inline constexpr double kNightGap = 0.5;

// The typical spacing of observations within a night: the median of the
// gaps between consecutive dates that are longer than 0 and shorter than
// kNightGap days (repeated dates say nothing of the cadence). Nothing when
// no gap qualifies, e.g. one observation per night. Dates in ascending order.
std::optional<double> MedianNightlySpacing(std::span<const double> jd);

// How well the dates sample a period range.
struct SamplingWarnings {
  std::optional<double> spacing;  // MedianNightlySpacing of the dates
  double span = 0;                // last date minus first, days
  // Periods below twice the spacing are not resolved by the cadence (the
  // Nyquist limit of evenly spaced data).
  bool pminBelowSpacing = false;
  // A period beyond half the span shows fewer than two cycles.
  bool pmaxBeyondHalfSpan = false;
};
SamplingWarnings CheckSampling(double pmin, double pmax, std::span<const double> jd);

// A search's speed as trials times observations per second: every engine's
// trial costs about one pass over the observations.
double SecondsFor(double trials, size_t observations, double speed);

// Times the request's method on the observations for about `budgetSeconds`
// on a grid of its own (the request's periods and phase shift are replaced;
// its method, secondary elements and threads are kept) and gives the speed
// in trials times observations per second; nothing when the request cannot
// run on these observations.
std::optional<double> MeasureSearchSpeed(SearchRequest r, const Observations& o,
                                         double budgetSeconds);

}  // namespace korvel
