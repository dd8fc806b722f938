// File > Save as..., Save extraction and the Save-file dialog; File > Save
// condition and Method > Continue, which write and resume a period search.
#pragma once

#include <string>

#include "app/app_context.h"

namespace korvel {

void SaveAllObservations(AppContext& a);
void SaveExtraction(AppContext& a);
// Confirmation of the Save-file dialog with the chosen name: writes the file
// unless one of that name exists. True when the dialog may close.
bool AcceptSaveFileChoice(AppContext& a, const std::string& chosen);
void SaveCondition(AppContext& a);
void ContinueSearch(AppContext& a);

inline constexpr const char* kNameExists = "File with this name exists. Call otherwise...";
inline constexpr const char* kNotSelected = "Data are still not selected...";

}  // namespace korvel
