// Reshuffling for significance: the magnitudes are dealt to the dates in a
// random order, which destroys any periodic signal but keeps the sampling and
// the set of values, so a Deeming run on the result shows what amplitudes
// noise alone reaches at these dates.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "core/analysis_state.h"

namespace korvel {

// Reals uniform in [0, 1).
using UniformSource = std::function<double()>;

// A uniform permutation of Mag[1..NObs] by drawing without replacement: the
// k-th draw u picks the (Trunc(u * n) + 1)-th of the n magnitudes not yet
// dealt, in their original order; the last one left goes to NObs. JD is not
// touched, so MagMean and MagVar stay valid. Counts ShuffleCount and returns
// "Reshuffled 1 time." / "Reshuffled <n> times.". With no observations
// nothing changes and the text says so.
std::string ReshuffleMags(AnalysisState& s, const UniformSource& uniform);

// The same with a generator seeded from `seed` (the window passes the
// milliseconds of the day, korvel-batch its --seed).
std::string ReshuffleMags(AnalysisState& s, uint64_t seed);

inline constexpr const char* kNothingToReshuffle = "No observations to reshuffle...";

}  // namespace korvel
