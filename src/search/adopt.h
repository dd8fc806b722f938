// One adopted period per star, chosen among the distinct peaks of one or
// more searches by a stated rule:
//  1. Among every peak with a Fourier fit, the one whose fit leaves the
//     smallest Bayesian information criterion (the best-fitting light
//     curve for its number of harmonics; aliases and harmonics fit worse).
//  2. P/2, P or 2P: a series at the peak's frequency f is P's curve with
//     only even harmonics when its period is twice the true one; so the
//     series is fitted at 2 f, and at f with twice its harmonics: unless
//     the odd ones matter (they lower the residuals significantly by an F
//     test, chance < 0.001, and lower the information criterion too), half
//     the peak's period is adopted. Otherwise the same test one step up:
//     where the odd harmonics of a series at f / 2 (those P cannot carry:
//     unequal minima of an eclipsing binary, alternating cycles) matter, 2P
//     is adopted, else P.
// The adopted period's error is that of its fit; its false-alarm
// probability that of its peak.
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
  double fap = 0;        // the peak's FAP (reshuffled where computed, else analytic)
  std::string method;    // the list the peak came from
  int peak = 0;          // its place in that list, from 0
  bool doubled = false;  // 2P of that peak
  bool halved = false;   // half the period of that peak
  std::string reason;    // the rule's words for this choice
  bool ok() const { return problem.empty(); }
};

AdoptedPeriod AdoptPeriod(const std::vector<PeakList>& lists, const Observations& o);

}  // namespace korvel
