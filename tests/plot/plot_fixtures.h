// States the plot tests draw from: the defaults applied, a view shown and a
// few observations loaded.
#pragma once

#include <utility>
#include <vector>

#include "core/analysis_state.h"
#include "io/param_file.h"

namespace korvel::testing {

// View shown with DataReady 'y', the observations (date, magnitude) loaded and
// Phase sized to match (filled with phase).
inline AnalysisState ShownState(char view,
                                const std::vector<std::pair<double, double>>& observations,
                                double phase = 0) {
  AnalysisState s;
  SetParameterDefaults(s);
  s.View = view;
  s.DataReady = 'y';
  s.NObs = static_cast<int32_t>(observations.size());
  s.JD = {0};
  s.Mag = {0};
  for (const auto& [jd, mag] : observations) {
    s.JD.push_back(jd);
    s.Mag.push_back(mag);
  }
  s.Phase.assign(s.JD.size(), phase);
  return s;
}

}  // namespace korvel::testing
