// The mean light curve of Wave: a moving average over the phase with N
// equally spaced centres and a window of a fixed length, wrapped across
// phase 1 to 0.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "lightcurve/phase_views.h"

namespace korvel {

struct MeanCurveParameters {
  int32_t points = 0;    // N window centres, at 0, 1/N, .. (N - 1)/N
  double binLength = 0;  // the window's length in phase
};

// The points kept, in the order of their centres, each with the number of
// observations averaged, its mean phase and magnitude and their standard
// errors; and the ordinate range of the curve with its error bars.
struct MeanCurve {
  std::vector<double> count, phase, mag, phaseErr, magErr;
  // Start values, kept when there is no point.
  double magHigh = -1000000, magLow = 1000000;
  size_t size() const { return phase.size(); }
};

// The moving average of the observations at the given phases (in [0, 1]).
// A window across phase 0 takes the phases near 1 as negative, one across
// phase 1 the phases near 0 as above 1; a negative mean phase becomes 0.
// Empty windows are dropped, and so is a point whose mean phase equals that of
// its successor.
MeanCurve MovingAverage(std::span<const double> phases, std::span<const double> mags,
                        const MeanCurveParameters& p);
// The same on dates, folded on the ephemeris.
MeanCurve MovingAverage(std::span<const double> dates, std::span<const double> mags,
                        const Ephemeris& e, const MeanCurveParameters& p);

}  // namespace korvel
