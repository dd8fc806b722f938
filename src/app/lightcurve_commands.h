// The "Light curve elements" dialog and the four commands of the Light curve
// menu that choose a light-curve view.
#pragma once

#include <cstdint>

#include "app/app_context.h"

namespace korvel {

// OK of "Light curve elements": mode 1 reads Period and Initial date, mode 2
// also the secondary elements. Each value is stored before its test; the
// first bad field shows its message and takes the focus.
bool AcceptLightCurveElements(AppContext& a, int32_t mode);

void ShowPrimaryLightCurve(AppContext& a);
void ShowSecondaryLightCurve(AppContext& a);
void ShowSecondaryPhaseColours(AppContext& a);
void ShowTimeView(AppContext& a);

}  // namespace korvel
