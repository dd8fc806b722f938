// korvel-batch stats: the statistics a load computes (the numbers the
// window's status line and JD edits show after File > Open).
#pragma once

#include <iosfwd>
#include <nlohmann/json.hpp>

#include "batch/command.h"
#include "batch/load_options.h"
#include "core/analysis_state.h"
#include "io/text_reader.h"

namespace korvel::batch {

Command AddStatsCommand(CLI::App& parent);

// The report itself, shared with tests of the output form.
void PrintStatsText(const AnalysisState& s, std::ostream& out);
// The JSON form ends with "warnings": what the reader passed over. The
// statistics are null when no observation passed the filters.
nlohmann::ordered_json StatsJson(const AnalysisState& s, const ReadDiagnostics& read);
// The command's JSON: the above, then what the load read ("format", "band",
// "time_system", "rows_read", "rows_dropped").
nlohmann::ordered_json StatsJson(const AnalysisState& s, const LoadOutcome& load);
void PrintStatsJson(const AnalysisState& s, const LoadOutcome& load, std::ostream& out);

}  // namespace korvel::batch
