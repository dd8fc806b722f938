// File > Save analysis... and File > Open analysis...: the window's analysis
// written to one JSON file (io/analysis_file.h) and put back from it.
#pragma once

#include <string>

#include "app/app_context.h"

namespace korvel {

void SaveAnalysis(AppContext& a);
// Confirmation of the Save analysis dialog: the name gets the suffix
// ".korvel.json" unless it ends in ".json"; an existing file is replaced
// after a Yes. True when the dialog may close.
bool AcceptAnalysisSaveChoice(AppContext& a, const std::string& chosen);

void OpenAnalysis(AppContext& a);
// Confirmation of the Open analysis dialog: the file is read and its
// observations loaded and checked before the window changes; a refusal
// shows its reason and changes nothing.
bool AcceptAnalysisOpenChoice(AppContext& a, const std::string& chosen);

}  // namespace korvel
