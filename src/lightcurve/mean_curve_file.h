// The collecting file of mean light curves, its reader, and the periodic
// model that sums the curves read back.
#pragma once

#include <cstdint>
#include <string>

#include "core/analysis_state.h"
#include "io/text_reader.h"

namespace korvel {

// Linear periodic interpolation of the curve ph[1..n], m[1..n] (phases
// ascending) at phase x: between neighbouring points, and across phase 1/0
// between the last point and the first. A wrap-around gap of 0 (first phase
// 0, last 1) gives the last magnitude. n must be at least 1.
double PeriodicValue(const double* ph, const double* m, int32_t n, double x);
// The part across phase 1/0: the value at the given phase distance after
// the last point.
double WrapValue(const double* ph, const double* m, int32_t n, double distance);

// Writes the current mean curve: a header (curve number, points, Period,
// Epoch, " smoothed" when WaveState is 'f', else " disturbed") and MeanPoints
// point lines (EditedMag in place of the mean and its error and count when
// WaveState is 'f'). Appends when appendIfExists and the file exists;
// otherwise creates it. Throws "I/O error %d".
void WriteCollectingFile(const AnalysisState& s, const std::string& path, bool appendIfExists);

// The header line and the point lines of the current mean curve.
std::string CollectingHeader(const AnalysisState& s);
std::string CollectingPointLine(const AnalysisState& s, int32_t k);

// Reads every curve of a collecting file into MLCCurves .. MLCMag and sets
// MLCLoaded. The table is replaced only when the whole file has been read:
// a malformed number throws "Invalid numeric input" and leaves the table and
// MLCLoaded as they were. What the reader passed over goes to diagnostics
// when given.
void ReadMeanCurveFile(AnalysisState& s, const std::string& path,
                       ReadDiagnostics* diagnostics = nullptr);

// M(t): the sum over the curves read of each curve's value at the phase of t
// on its own period and initial date. Curves without points or with a period
// that is not positive contribute nothing.
double ModelValue(const AnalysisState& s, double t);

}  // namespace korvel
