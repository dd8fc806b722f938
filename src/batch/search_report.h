// What korvel-batch search prints: the results grid as text, or every
// result of the run as one JSON object.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <nlohmann/json.hpp>
#include <string>

#include "search/search_values.h"

namespace korvel::batch {

// Distinct peaks a search reports unless told otherwise.
inline constexpr int kDefaultPeaks = 5;

// The header and the 20 rows of the results grid, columns right-aligned,
// then (for the secondary period) the primary theta and the final status.
void PrintSearchText(const SearchResult& r, const std::string& status, std::ostream& out);

// Everything a run leaves, numbers as doubles (dump() writes them so that
// they read back bit for bit). For Deeming the amplitude distribution, its
// significance levels (null without a distribution) and the status; for the
// secondary period the primary theta.
// With `peaks` above 0, that many distinct peaks (search/peaks.h) under
// "peaks", each with its period, frequency, statistic and label (null when
// none applies).
nlohmann::ordered_json SearchJson(const SearchResult& r, const std::string& status,
                                  int peaks = kDefaultPeaks);

}  // namespace korvel::batch
