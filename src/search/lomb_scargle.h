// The generalised Lomb-Scargle search: at every trial frequency the power of
// the best weighted least-squares fit of a sinusoid plus a floating mean
// (Zechmeister & Kuerster 2009, A&A 496, 577), normalised so that 1 is a
// perfect fit and 0 no better than the weighted mean alone.
#pragma once

#include <span>
#include <vector>

#include "search/engine_support.h"
#include "search/search_hooks.h"
#include "search/search_values.h"
#include "search/trial_kernels.h"

namespace korvel {

// The power of an empty place in the best list.
inline constexpr double kEmptyPower = 0;

// The weights of the fit, summing to 1: 1 / err^2 when every observation has
// a finite positive error, otherwise equal.
std::vector<double> LombScargleWeights(const Observations& o);

// What every trial of a weighted fit shares: the time offsets, the weights
// and the magnitudes less their weighted mean with their weighted sum of
// squares.
struct WeightedMagnitudes {
  Offsets dt;
  std::vector<double> w, y;
  double yy = 0;
};
WeightedMagnitudes WeightedMagnitudesOf(const Observations& o);

// The power at each of the frequencies, as the search computes it: with no
// grid (step 0) each directly, otherwise through the recurrence of the grid
// of that origin and step (GridPhasors), the kernels in the variant isa.
std::vector<double> LombScarglePowers(const Observations& o, std::span<const double> freqs,
                                      double origin = 0, double step = 0,
                                      kernels::Isa isa = kernels::BestIsa());

// Runs the grid from r.freq on: the display columns, the best list (largest
// first) and the statistic get the power. A trial whose sines cannot be told
// apart from the mean (every phase alike) has no power and is kept as NaN.
void RunLombScargle(const PreparedSearch& p, const Observations& o, SearchHooks& hooks,
                    SearchResult& r);

}  // namespace korvel
