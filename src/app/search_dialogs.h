// The logic of the two search-parameter dialogs: fields taken in a fixed
// order, each value stored as soon as it converts, the first bad field
// reported with its message and given the focus.
#pragma once

#include "app/app_context.h"
#include "search/search_parameters.h"

namespace korvel {

// The fields of "Initial parameters" (with the own parameters of the search
// it was last shown for) and of "Parameters to search the secondary period"
// as they stand (nothing where a field does not convert).
SearchParameters InitialDialogFields(AppContext& a);
SearchParameters SecondaryDialogFields(AppContext& a);

// OK of "Initial parameters" for the search it was shown for: true when the
// dialog may close with OK; the frequency axis and the search's own
// parameters are then set.
bool AcceptSearchParameters(AppContext& a);

// OK of "Parameters to search the secondary period".
bool AcceptSecondarySearchParameters(AppContext& a);
// Showing "Initial parameters" for a search: the fields of its own
// parameters (as last accepted) and no others, and its guidance.
void ShowInitialSearchDialog(AppContext& a, SearchKind kind);
// Showing "Parameters to search the secondary period": the primary period
// and its initial date as last set, trailing zeros trimmed, and the guidance.
void ShowSecondarySearchDialog(AppContext& a);
// The guidance labels of the two search dialogs, written again as their
// period fields change: the unit, the number of trials the search will make,
// its time on this machine where a speed is known, and warnings where the
// dates sample the period range poorly. Never refuses anything.
void UpdateSearchGuidance(AppContext& a);
// A completed window search's speed, which then replaces the timed sample
// run for later estimates of that search on that many observations.
void RememberSearchSpeed(AppContext& a, SearchKind kind, int32_t mode, double trials,
                         double seconds);

}  // namespace korvel
