// One adopted period per star, chosen among the distinct peaks of one or
// more searches by a stated rule:
//  1. Among every peak with a Fourier fit, the one whose fit leaves the
//     smallest Bayesian information criterion (the best-fitting light
//     curve for its number of harmonics; aliases and harmonics fit worse).
//  2. Between P and 2P: the series is fitted again at half the frequency
//     with twice the harmonics; where its odd harmonics (those P cannot
//     carry: unequal minima of an eclipsing binary, alternating cycles)
//     lower the residuals significantly by an F test (p < 0.001), 2P is
//     adopted, otherwise P.
// The adopted period's error and false-alarm probability are those of its
// peak (for 2P: of the fit at 2P).
#pragma once

#include <string>
#include <vector>

#include "search/period_error.h"
#include "search/search_values.h"

namespace korvel {

struct PeakList {
  std::string method;  // its name, as the method table gives it
  std::vector<PeakReport> peaks;
};

struct AdoptedPeriod {
  std::string problem;  // empty when a period is adopted; else why none is
  double period = 0, error = 0;
  double fap = 0;       // the peak's FAP (reshuffled where computed, else analytic)
  std::string method;   // the list the peak came from
  int peak = 0;         // its place in that list, from 0
  bool doubled = false; // 2P of that peak
  std::string reason;   // the rule's words for this choice
  bool ok() const { return problem.empty(); }
};

AdoptedPeriod AdoptPeriod(const std::vector<PeakList>& lists, const Observations& o);

}  // namespace korvel
