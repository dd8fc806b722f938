// What korvel-batch search prints: the results grid as text, or every
// result of the run as one JSON object.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <nlohmann/json.hpp>
#include <string>

#include "core/analysis_state.h"
#include "search/document_search.h"

namespace korvel::batch {

// The header and the 20 rows of the results grid, columns right-aligned,
// then (for the secondary period) the primary theta and the final status.
void PrintSearchText(const AnalysisState& s, SearchKind kind, const std::string& status,
                     std::ostream& out);

// Everything a run leaves, numbers as doubles (dump() writes them so that
// they read back bit for bit). For Deeming the amplitude distribution, the
// levels in SigLevel (SignificanceLevels has run; null without a distribution)
// and the status; for the secondary period the primary theta.
nlohmann::ordered_json SearchJson(const AnalysisState& s, SearchKind kind, int64_t trials,
                                  const std::string& status);

}  // namespace korvel::batch
