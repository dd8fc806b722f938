// The collecting file of mean light curves, its reader, and the periodic
// model that sums the curves read back.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "io/text_reader.h"
#include "lightcurve/moving_average.h"
#include "lightcurve/periodic_curve.h"
#include "lightcurve/phase_views.h"

namespace korvel {

// One block of the collecting file: a mean curve and what it was folded on.
struct CollectingBlock {
  int32_t curveNumber = 1;
  Ephemeris ephemeris;
  MeanCurve curve;
  // Adjusted by hand: editedMag (one per point) is recorded in place of the
  // means, their errors and counts, under the label " smoothed".
  bool smoothed = false;
  std::vector<double> editedMag;
};

// The header (curve number, points, period, epoch, " smoothed" or
// " disturbed") and the line of point k = 0 .. size - 1.
std::string CollectingHeader(const CollectingBlock& b);
std::string CollectingPointLine(const CollectingBlock& b, size_t k);

// Writes the block, appended when appendIfExists and the file exists;
// otherwise the file is created. Throws "I/O error %d".
void WriteCollectingFile(const CollectingBlock& b, const std::string& path, bool appendIfExists);

// A curve read back: the ephemeris it was folded on and its points (the
// error and count columns are not read).
struct CollectedCurve {
  Ephemeris ephemeris;
  std::vector<double> phase, mag;
};

// Every curve of a collecting file. A malformed number throws "Invalid
// numeric input"; a file ending before the points a header announces keeps
// the points it has. What the reader passed over goes to diagnostics when given.
std::vector<CollectedCurve> ReadCollectedCurves(const std::string& path,
                                                ReadDiagnostics* diagnostics = nullptr);

// One curve's part of the model at date t: its value at the phase of t on its
// own ephemeris; 0 for a curve without points or with a period that is not
// positive.
double ModelTerm(const Ephemeris& e, const PeriodicCurve& c, double t);

// M(t): the sum of the curves' terms, in their order.
double ModelValue(std::span<const CollectedCurve> curves, double t);

}  // namespace korvel
