// Undo of what changed the observations in memory: deletions, Chaos and
// prewhitening.
#pragma once

#include "app/app_context.h"

namespace korvel {

// Edit > Undo (Ctrl+Z): the observations as they were before the last change.
void UndoLastChange(AppContext& a);

}  // namespace korvel
