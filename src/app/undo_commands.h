// Undo of what changed the observations in memory (deletions, Chaos and
// prewhitening), and the caption, which says when the magnitudes in memory
// are no longer the file's.
#pragma once

#include <string>

#include "app/app_context.h"

namespace korvel {

// Changes kept for Undo, and the memory they may take together (the latest
// change is kept whatever its size).
inline constexpr size_t kUndoLevels = 20;
inline constexpr size_t kUndoBytes = size_t{256} << 20;

// Edit > Undo (Ctrl+Z): the observations as they were before the last change,
// shown on the time view as after a load. Ignored while a search runs.
void UndoLastChange(AppContext& a);

// The observations as they are now, to be kept once `change` has been made.
ObservationSnapshot SnapshotOf(const AppContext& a, std::string change);
// Keeps `before` as the latest change; the oldest go beyond the limits.
void KeepForUndo(AppContext& a, ObservationSnapshot before);
// A new set of observations: nothing to undo, the magnitudes are the file's.
void ForgetChanges(AppContext& a);

// "<file name>", with " (residuals)", " (shuffled)" or
// " (residuals, shuffled)" when the magnitudes in memory are such.
std::string CaptionOf(const AppContext& a);
void ShowCaption(AppContext& a);

// The time view over the whole set, as a load leaves it: no zoom, and
// nothing shown that was worked out from the observations replaced.
void ShowAsLoaded(AppContext& a);

// Repaints now and then shows `status`, which the view's own status
// ("Light curve...") would otherwise replace when the picture is drawn.
void RepaintThenSay(AppContext& a, const std::string& status);

// Chaos: the magnitudes dealt anew to the dates (the message box says how
// many times), kept for Undo; the status line says they are now shuffled.
void ReshuffleMagnitudes(AppContext& a);

}  // namespace korvel
