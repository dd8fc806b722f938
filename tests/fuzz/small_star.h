// A small fixed observation set for the targets that need loaded data: 48
// observations of a 0.557-day variable over 20 nights, as the program reads
// them from a file. Small, so that a search over it stays quick.
#pragma once

#include <cmath>
#include <numbers>
#include <string>

#include "core/analysis_state.h"
#include "fuzz/fuzz_support.h"
#include "io/observation_file.h"
#include "io/param_file.h"

namespace korvel::fuzz {

inline std::string SmallStarText() {
  std::string text;
  for (int i = 0; i < 48; ++i) {
    // Fixed irregular dates and a light curve with a little noise-like ripple.
    const double t = 59000.5 + 20.0 * i / 47 + 0.13 * std::fmod(i * 0.618034, 1.0);
    const double m =
        12.4 + 0.35 * std::sin(2 * std::numbers::pi * t / 0.557) + 0.02 * std::sin(i * 2.399963);
    text += ObservationLine(t, m, 4) + "\r\n";
  }
  return text;
}

// The loaded state every input starts from (loaded once, copied per input).
inline const AnalysisState& SmallStar() {
  static const AnalysisState loaded = [] {
    AnalysisState s;
    SetParameterDefaults(s);
    LoadObservations(s, WriteFile("small_star.dat", SmallStarText()), ReadOptions{});
    s.DataReady = 'y';
    return s;
  }();
  return loaded;
}

}  // namespace korvel::fuzz
