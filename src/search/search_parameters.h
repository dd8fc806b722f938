// The parameters of a period search as the two search dialogs take them
// ("Initial parameters" for every search but the secondary period's, with
// the search's own parameters, "Parameters to search
// the secondary period"): their defaults, their order, their checks and
// messages. The window's dialogs and korvel-batch both apply them here.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/parameter_fields.h"
#include "search/search_methods.h"

namespace korvel {

inline constexpr double kDefaultPmax = 100;            // "Initial parameters"
inline constexpr double kDefaultSecondaryPmax = 1000;  // the secondary-period dialog
inline constexpr double kDefaultPmin = 1;
inline constexpr double kDefaultPhaseShift = 0.05;
inline constexpr int32_t kDefaultBins = 8;
inline constexpr const char* kDefaultSpectrumFile = "SpFName.dat";

inline constexpr const char* kErrorInPRange = "Error in P range...";
inline constexpr const char* kErrorInPhaseShift = "Error in phase shift...";
inline constexpr const char* kErrorInPRanges = "Error in P ranges...";  // secondary period
inline constexpr const char* kErrorInSecPhaseShift = "Error in Phase shift...";

// The fields of each dialog, in its order.
enum InitialField : int { kPmaxField, kPminField, kPhaseShiftField };
enum SecondaryField : int {
  kSecPeriodField,
  kSecEpochField,
  kSecExtrDateField,
  kSecPmaxField,
  kSecPminField,
  kSecBinsField,
  kSecPhaseShiftField,
};

inline constexpr int kFirstOwnField = kPhaseShiftField + 1;  // the row's own parameters

// A field's value as its text converted; nothing when it did not convert.
struct SearchParameters {
  std::optional<double> pmax = kDefaultPmax;
  std::optional<double> pmin = kDefaultPmin;
  std::optional<double> phaseShift = kDefaultPhaseShift;
  // Secondary period only.
  std::optional<double> period = 0, epoch = 0, extremumDate = 0;
  std::optional<int32_t> bins = kDefaultBins;
  int32_t mode = 1;  // 1: secondary phases into bins, 2: primary phases
  // The search's own parameters in its table row's order; empty: not
  // given, the document keeps its values (korvel-batch sets the request's).
  std::vector<std::optional<int32_t>> own;
};

// The dialog's defaults for the kind (the secondary period's Pmax is 1000).
SearchParameters DefaultSearchParameters(SearchKind kind);

// A number as a dialog's field shows it: up to ten decimals, trailing zeros
// dropped ("100", "0.05", "0.5568").
std::string FieldText(double x);

}  // namespace korvel
