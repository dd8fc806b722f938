// Reshuffling for significance: the magnitudes are dealt to the dates in a
// random order, which destroys any periodic signal but keeps the sampling and
// the set of values, so a Deeming run on the result shows what amplitudes
// noise alone reaches at these dates.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace korvel {

// Reals uniform in [0, 1).
using UniformSource = std::function<double()>;

// A uniform permutation of the magnitudes by drawing without replacement:
// the k-th draw u picks the (Trunc(u * n) + 1)-th of the n magnitudes not
// yet dealt, in their original order; the last one left goes last. The
// dates are not touched, so the magnitudes' mean and variance stay valid.
std::vector<double> ShuffledMagnitudes(std::span<const double> mag, const UniformSource& uniform);

// A generator seeded from `seed` (the window passes the milliseconds of the
// day, korvel-batch its --seed): 53 random bits per draw.
UniformSource SeededUniform(uint64_t seed);

// "Reshuffled 1 time." / "Reshuffled <n> times.".
std::string ShuffleMessage(int32_t count);

inline constexpr const char* kNothingToReshuffle = "No observations to reshuffle...";

}  // namespace korvel
