// The "Light curve elements" dialog and the four commands of the Light curve
// menu that choose a light-curve view.
#pragma once

#include <cstdint>

#include "app/app_context.h"

namespace korvel {

// OK of "Light curve elements": mode 1 reads Period and Initial date, mode 2
// also the secondary elements. Each value is stored before its test; the
// first bad field shows its message and takes the focus.
bool LCOKBtnClick(AppContext& a, int32_t mode);

void Lightcurveofthemainperiod1Click(AppContext& a);
void MenuLCSecClick(AppContext& a);
void Colr2PCurveClick(AppContext& a);
void TimeOnClick(AppContext& a);

}  // namespace korvel
