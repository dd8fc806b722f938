// The 1-2-5 series of axis steps and the rule every axis uses to pick one:
// the frequency axis of the spectrum and the value and date axes of the plots.
#pragma once

#include <array>
#include <cstdint>

namespace korvel {

// Descending; positions 1 .. 28 in the program's numbering are indices 0 .. 27.
inline constexpr std::array<double, 28> NiceSteps = {
    10000, 5000,  2000,   1000,   500,    200,     100,     50,     20,   10,
    5,     2,     1,      0.5,    0.2,    0.1,     0.05,    0.02,   0.01, 0.005,
    0.002, 0.001, 0.0005, 0.0002, 0.0001, 0.00005, 0.00002, 0.00001};

struct StepChoice {
  double step = NiceSteps[0];
  // Position 1 .. 28 of the chosen entry; 0 when no entry passed the test
  // (a span of 100000 or more, or not a number), in which case step is 10000 and
  // the caller keeps its previous StepIndex.
  int32_t index = 0;
};

// Target t = span / 5. Walking the table from the top, an entry s is taken
// whenever |t - s| is smaller than the step taken so far (not than the best
// distance so far), so a target equal to an entry yields the next smaller
// one: span 0.5 gives 0.05, span 4 gives 0.5, span 10 gives 1.
StepChoice ChooseStep(double span);

}  // namespace korvel
