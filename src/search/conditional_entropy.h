// The conditional entropy search (Graham et al. 2013, MNRAS 434, 2629): the
// magnitudes scaled to [0, 1] by their least and greatest, the unit square of
// phase and scaled magnitude cut into a grid of phase bins times magnitude
// bins, and at every trial frequency the entropy of the magnitudes given the
// phase,
//   H = sum_ij p(m_i, phi_j) ln(p(phi_j) / p(m_i, phi_j)),
// p the shares of the observations in each cell and phase column. At a true
// period the phase tells the magnitude: H is least.
#pragma once

#include <optional>
#include <string>

#include "search/search_hooks.h"
#include "search/search_values.h"

namespace korvel {

// Phase and magnitude bins: at least 2 and at most 255 each.
std::optional<std::string> CheckEntropyBins(const SearchRequest& r, const Observations& o);

// Runs the grid from r.freq on: the statistic and the best list (smallest
// first) get H, the display columns 1 / H.
void RunConditionalEntropy(const PreparedSearch& p, const Observations& o, SearchHooks& hooks,
                           SearchResult& r);

}  // namespace korvel
