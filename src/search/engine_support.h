// What the search engines share: the checks that keep a search from dividing
// by zero or running forever, and the precomputed time offsets with the
// choice of fold kernel.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/messages.h"
#include "search/search_values.h"
#include "search/trial_kernels.h"

namespace korvel {

inline constexpr const char* kArraysMismatch =
    "The observation arrays do not match the number of observations...";
inline constexpr const char* kZeroSpan =
    "The first and last observations have the same date: there is no time span to search...";
inline constexpr const char* kDescendingDates =
    "The last observation is dated before the first: the file must be in ascending date "
    "order...";
inline constexpr const char* kConstantMagnitudes =
    "All magnitudes are equal: there is nothing to search...";
inline constexpr const char* kVarianceNotFinite = "The magnitudes are too large to search...";
// Phase bins of the searches that bin phases (and magnitudes).
inline constexpr int kMinPhaseBins = 2, kMaxPhaseBins = 255;
inline constexpr const char* kTooManyBins = "At most 255 phase bins are possible...";
inline constexpr const char* kTooFewForBins =
    "Too few observations for the number of bins: more observations than bins are needed...";
inline constexpr const char* kDoneStatus = "Done...";  // a search that ran to its end
inline constexpr const char* kGridNotSet = "Initial parameters have not been fixed...";

// Some observations, dates and magnitudes alike, and (when the statistic
// divides by it) a finite non-zero variance.
std::optional<std::string> CheckObservations(const Observations& o, bool needsVariance);
// The secondary period's primary period and bins, and in mode 1 more
// observations than bins.
std::optional<std::string> CheckSecondaryElements(const SecondaryElements& e, size_t observations);
// The grid as an engine receives it, from `freq` on: a finite positive step
// and finite ends and scale.
std::optional<std::string> CheckGrid(const TrialGrid& g, double freq);

// x[i] - origin, contiguous, with its range.
struct Offsets {
  std::vector<double> values;
  double min = 0, max = 0;
  int32_t n() const { return static_cast<int32_t>(values.size()); }
};
Offsets OffsetsFrom(std::span<const double> x, double origin);

// The widest kernel variant that folds t * f + c exactly, else the scalar one.
kernels::Isa FoldIsa(const Offsets& t, double f, double c);
// The same for a run of ascending trial frequencies f[0 .. count-1] (count
// at least 1), where one variant suits them all: it does when it suits the
// first and the last. Otherwise none.
std::optional<kernels::Isa> FoldIsaOfRun(const Offsets& t, const double* f, size_t count, double c);

}  // namespace korvel
