// korvel-batch stats: the statistics a load computes (the numbers the
// window's status line and JD edits show after File > Open).
#pragma once

#include <iosfwd>

#include "batch/command.h"
#include "core/analysis_state.h"

namespace korvel::batch {

Command AddStatsCommand(CLI::App& parent);

// The report itself, shared with tests of the output form.
void PrintStatsText(const AnalysisState& s, std::ostream& out);
void PrintStatsJson(const AnalysisState& s, std::ostream& out);

}  // namespace korvel::batch
