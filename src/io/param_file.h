// default.cfg: the user's saved parameters (seven lines) and the defaults
// applied before it is read.
#pragma once

#include <string>

#include "core/analysis_state.h"

namespace korvel {

inline constexpr const char* kParamFileName = "default.cfg";

// The defaults set before every load and at start-up.
void SetParameterDefaults(AnalysisState& s);

// The text forms of the saved values as the dialog fields show them.
std::string PeriodFieldText(double period);  // 7 decimals
std::string DateFieldText(double date);      // 4 decimals
std::string BinsFieldText(int32_t nbins);    // right-aligned in 2

// The initial directory as the Open dialog takes it: a trailing separator
// is removed unless a drive colon stands before it.
std::string OpenDialogDir(std::string dir);

// Writes the seven lines of default.cfg.
void WriteParamFile(const std::string& path, const std::string& initDir,
                    const std::string& lastFile, const AnalysisState& s);

}  // namespace korvel
