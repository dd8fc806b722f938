// The logic of the two search-parameter dialogs: fields taken in a fixed
// order, each value stored as soon as it converts, the first bad field
// reported with its message and given the focus.
#pragma once

#include "app/app_context.h"
#include "search/search_parameters.h"

namespace korvel {

// The fields of "Initial parameters" and of "Parameters to search the
// secondary period" as they stand (nothing where a field does not convert).
SearchParameters InitialDialogFields(AppContext& a);
SearchParameters SecondaryDialogFields(AppContext& a);

// OK of "Initial parameters" (Lafler-Kinman and Deeming): true when the
// dialog may close with OK; the frequency axis is then set.
bool AcceptSearchParameters(AppContext& a);

// OK of "Parameters to search the secondary period".
bool AcceptSecondarySearchParameters(AppContext& a);
// Showing "Parameters to search the secondary period": the primary period
// and its initial date as last set, trailing zeros trimmed.
void ShowSecondarySearchDialog(AppContext& a);
// The guidance labels of the two search dialogs, written again as their
// period fields change.
void UpdateSearchGuidance(AppContext& a);

}  // namespace korvel
