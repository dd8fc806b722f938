// Start-up: the first activation of the main window and the defaults.
#pragma once

#include "app/app_context.h"

namespace korvel {

// Activation of the main window: takes the command line and loads its file.
// Acts at the first activation only; later activations change nothing.
void FormRun(AppContext& a);

// Applies the defaults and reads default.cfg from CfgPath into the state and
// the dialog fields.
void InstallParam(AppContext& a);

// The Column control's range.
inline constexpr int kMinColumn = 1;
inline constexpr int kMaxColumn = 20;

}  // namespace korvel
