// The File menu's loading and saving of parameters, the Read zeros box, the
// All button and Exit.
#pragma once

#include <string>

#include "app/app_context.h"
#include "io/text_reader.h"

namespace korvel {

void OpenObservationFile(AppContext& a);
// Confirmation of the Open dialog with the chosen name: loads the file.
bool AcceptObservationFileChoice(AppContext& a, const std::string& chosen);
void ToggleReadZeros(AppContext& a);
void ShowWholeRange(AppContext& a);
void SaveParameters(AppContext& a);
void ExitProgram(AppContext& a);

// Reads the JD window from the JDmin and JDmax edits (shared by Open and the
// command-line start).
void ReadJDWindowEdits(AppContext& a);
// Loads DataFileName into the state: residual-file field, reading, edits,
// status line.
void LoadDataFile(AppContext& a);

// Writes the dates low and high into the JDmin and JDmax edits, and keeps
// them as what the window last wrote there.
void ShowDateWindow(AppContext& a, double low, double high);

}  // namespace korvel
