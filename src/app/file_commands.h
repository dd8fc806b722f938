// The File menu's loading and saving of parameters, the Read zeros box, the
// All button and Exit.
#pragma once

#include <string>

#include "app/app_context.h"
#include "io/text_reader.h"

namespace korvel {

void BfileopenClick(AppContext& a);
// Confirmation of the Open dialog with the chosen name: loads the file.
bool FindFileCanClose(AppContext& a, const std::string& chosen);
void ChBZeroClick(AppContext& a);
void ButAllDClick(AppContext& a);
void Save1Click(AppContext& a);
void Exit3Click(AppContext& a);

// Reads the JD window from the JDmin and JDmax edits (shared by Open and the
// command-line start).
void ReadJDWindowEdits(AppContext& a);
// Loads DataFileName into the state: residual-file field, reading, edits,
// status line.
void LoadDataFile(AppContext& a);

}  // namespace korvel
