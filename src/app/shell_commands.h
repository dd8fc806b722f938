// Commands of the window's keyboard and of its File > Export picture: what
// the shortcuts do beyond the menu items and buttons they stand for.
#pragma once

#include "app/app_context.h"

namespace korvel {

inline constexpr const char* kNoSearchToRepeat = "No search to repeat yet.";

// F5: the start command of the search run last (Lafler-Kinman, Deeming or
// secondary period), whose dialog shows the fields last used.
void RepeatLastSearch(AppContext& a);

// Esc: Stop while a search runs, otherwise the results tables closed.
void StopSearchOrHideTables(AppContext& a);

// File > Export picture: the plot surface at its present size written as a
// PNG, SVG or PDF file chosen in a file dialog. A name without an extension
// gets ".png"; a name of another format is refused and the dialog asks
// again (BMP is Print's). Nothing while a search runs.
void ExportPicture(AppContext& a);

}  // namespace korvel
