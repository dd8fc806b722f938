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
// Loads path into the state with the reading choices of read (format, band,
// columns) and the window's column, Read zeros and JD window: residual-file
// field, reading, edits, status line. A file that cannot be read as its
// format, or cannot be opened, is reported (message box and status line) and
// leaves the set, its analysis and the caption as they were: false.
bool LoadDataFile(AppContext& a, const std::string& path, ReadOptions read);
// DataFileName read again as the last load read it (s.ReadWith).
bool LoadDataFile(AppContext& a);

// Writes the dates low and high into the JDmin and JDmax edits, and keeps
// them as what the window last wrote there.
void ShowDateWindow(AppContext& a, double low, double high);

}  // namespace korvel
