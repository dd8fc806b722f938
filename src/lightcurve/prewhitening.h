// Prewhitening: subtracting a mean light curve from the observations, so that
// a further period can be searched in the residuals.
#pragma once

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "io/text_writer.h"
#include "lightcurve/mean_curve_file.h"
#include "lightcurve/periodic_curve.h"
#include "lightcurve/phase_views.h"

namespace korvel {

inline constexpr const char* kNoMeanCurve = "The mean light curve has no points to subtract...";
inline constexpr const char* kNoPeriod = "The period of the light curve must be positive...";

// Why there is nothing to subtract, or nothing to subtract from; nothing when
// prewhitening can run.
std::optional<std::string> PrewhitenProblem(size_t observations, size_t curvePoints,
                                            const Ephemeris& e);

// The value to subtract at phase phi: beyond the last point the curve wraps,
// even where its phases are not in order; below the first the wrap is the
// same formula. A curve without points gives 0.
double MeanCurveValue(const PeriodicCurve& c, double phi);

// mags[i] minus the curve's value at phases[i].
std::vector<double> Residuals(std::span<const double> phases, std::span<const double> mags,
                              const PeriodicCurve& c);
// The same on dates, folded on the ephemeris.
std::vector<double> Residuals(std::span<const double> dates, std::span<const double> mags,
                              const Ephemeris& e, const PeriodicCurve& c);

// The extremes, mean and variance (divided by the count) of the residuals.
// The extremes start far outside any magnitude (not symmetric), so no
// residual leaves them at their start.
struct MagnitudeSummary {
  double high = -10000000, low = 1000000, mean = 0, variance = 0;
};
MagnitudeSummary SummariseResiduals(std::span<const double> mags);

inline constexpr const char* kCollectIsData =
    "The collecting file cannot be the observation file itself...";
inline constexpr const char* kResidualsIsData =
    "The residual file cannot be the observation file itself...";
inline constexpr const char* kResidualsIsCollect =
    "The residual file cannot be the collecting file...";

// A collecting or residual file that names the observation file read would
// overwrite or corrupt the data, and a residual file that is the collecting
// file would replace the curves collected so far: the message, or nothing.
std::optional<std::string> PrewhitenFileProblem(const std::string& dataFile,
                                                const std::string& collectFile,
                                                const std::string& residualFile);

// The files of one step, in the order that loses nothing: the residuals
// (writeResiduals, when residualFile is not empty) under a temporary name,
// then the block in collectFile (when named), then the residual file takes
// its name. A failure throws and leaves both files as they were, so that a
// corrected name can be tried again without doubling the model. The caller
// writes the residual lines: they are observation lines, streamed.
void WritePrewhiteningFiles(const CollectingBlock& block, const std::string& collectFile,
                            bool appendIfExists, const std::string& residualFile,
                            const std::function<void(TextWriter&)>& writeResiduals);

}  // namespace korvel
