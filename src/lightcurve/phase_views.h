// The phase rules of the light-curve views: the primary phase of a date, the
// panel abscissa of the secondary-bin view and the colour of a secondary
// phase, on the elements as plain values.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "core/colour.h"

namespace korvel {

// The primary period and its initial date (zero phase).
struct Ephemeris {
  double period = 0, epoch = 0;
};

// The secondary period, the date of the extremal light-curve shape (its zero
// phase) and the number of secondary-phase bins.
struct SecondaryEphemeris {
  double period = 0, extremumDate = 0;
  int32_t bins = 0;
};

// Frac((jd - epoch) / period): in [0, 1), and 1.0 whole periods before the epoch.
double PhaseOf(double jd, const Ephemeris& e);
std::vector<double> Phases(std::span<const double> dates, const Ephemeris& e);

// View 's': an observation in panel b = 0 .. bins - 1 at abscissa b + u, u the
// primary phase shifted by half a period. The secondary phases within half a
// bin of (b + 1) / bins fall into panel b.
struct BinPlace {
  int32_t bin;
  double x;
};
BinPlace SecondaryBinPlace(double jd, const Ephemeris& primary, const SecondaryEphemeris& second);

// View 'n': the colour parameter 2 Frac((jd - extremumDate) / period), in [0, 2).
double SecondaryColourParam(double jd, const SecondaryEphemeris& second);

// The colour of the colour parameter w: red near w = 0.5, green near 1, blue
// near 1.5 and 0, each channel truncated and never below 0.
Rgb PhaseColour(double w);

}  // namespace korvel
