// What korvel-batch search prints: the results grid as text, or every
// result of the run as one JSON object.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <limits>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "search/period_error.h"
#include "search/search_values.h"

namespace korvel::batch {

// The header and the 20 rows of the results grid, columns right-aligned,
// then (for the secondary period) the primary theta, (for pdm, where given)
// the PDM false-alarm probability of the best theta and the final status.
void PrintSearchText(const SearchResult& r, const std::string& status, std::ostream& out,
                     double bestFapPdm = std::numeric_limits<double>::quiet_NaN());

// Everything a run leaves, numbers as doubles (dump() writes them so that
// they read back bit for bit). For Deeming the amplitude distribution, its
// significance levels (null without a distribution) and the status; for the
// secondary period the primary theta.
// With `peaks`, the distinct peaks (search/period_error.h) under "peaks":
// each with its grid period, frequency and statistic, the fitted period and
// its analytic error (and the bootstrap's with `bootstrap`), the harmonics of
// the fit, its FAPs (a pdm search's peaks also "fap_pdm"), its label and why
// it has no error (null where none applies).
nlohmann::ordered_json SearchJson(const SearchResult& r, const std::string& status,
                                  const std::vector<PeakReport>* peaks = nullptr,
                                  bool bootstrap = false);

}  // namespace korvel::batch
