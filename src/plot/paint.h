// PWinPaint: the one entry that draws a full picture of the plot surface from
// the analysis state, dispatching on View and DataReady.
#pragma once

#include <functional>
#include <string>

#include "core/analysis_state.h"
#include "plot/canvas.h"

namespace korvel {

// What a paint needs beyond the state and the canvas.
struct PaintSurroundings {
  std::function<void(const std::string&)> setStatus;
  // The main window is the active window (the spectrum may then be redrawn
  // incrementally during a search).
  bool mainWindowActive = true;
};

inline constexpr const char* kLightCurveStatus = "Light curve...";
inline constexpr const char* kMeanLightCurveStatus = "Mean light curve...";
inline constexpr const char* kRunningStatus = "Running...";

void PWinPaint(AnalysisState& s, Canvas& c, const PaintSurroundings& env);

}  // namespace korvel
