// The multi-harmonic analysis of variance (Schwarzenberg-Czerny 1996, ApJ
// 460, L107): at every trial frequency the least-squares fit of a mean and n
// harmonics, made by orthogonal projection on the Szego polynomials of the
// phases, and its AoV statistic
//   Theta = (N - 2n - 1) / (2n) * ||fit||^2 / ||residual||^2,
// which for pure noise follows Fisher's F with 2n and N - 2n - 1 degrees of
// freedom. Weighted by 1 / err^2 when every observation has a finite
// positive error (LombScargleWeights).
#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "search/search_hooks.h"
#include "search/search_values.h"
#include "search/trial_kernels.h"

namespace korvel {

// Theta of an empty place in the best list.
inline constexpr double kEmptyAovTheta = 0;

// More harmonics than any light curve needs; the fit's cost grows with them.
inline constexpr int kMaxAovHarmonics = 100;

// The harmonics: at least one, at most kMaxAovHarmonics, and more observations than the fit's 2n +
// 1 parameters.
std::optional<std::string> CheckHarmonics(const SearchRequest& r, const Observations& o);

// Theta at each of the frequencies (NaN without observations or harmonics),
// as the search computes it: with no grid (step 0) each directly, otherwise
// through the recurrence of the grid of that origin and step, the kernels
// in the variant isa.
std::vector<double> MultiHarmonicAovThetas(const Observations& o, int harmonics,
                                           std::span<const double> freqs, double origin = 0,
                                           double step = 0, kernels::Isa isa = kernels::BestIsa());

// Runs the grid from r.freq on: the display columns, the best list (largest
// first) and the statistic get Theta. A trial whose fit cannot be made (too
// few distinct phases) or that fits perfectly is kept as NaN.
void RunMultiHarmonicAov(const PreparedSearch& p, const Observations& o, SearchHooks& hooks,
                         SearchResult& r);

}  // namespace korvel
