// The parameters of the light-curve dialogs as the window and korvel-batch
// take them: "Light curve elements" (the period and epoch that fold the
// observations, and for the secondary views the secondary period, its
// extremum date and the bins) and "Moving average method calculation" (the
// mean curve's points and bin length and the files of prewhitening). Their
// defaults, order, checks and messages live here once.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/parameter_fields.h"
#include "lightcurve/moving_average.h"
#include "lightcurve/phase_views.h"

namespace korvel {

inline constexpr int32_t kDefaultMeanPoints = 40;
inline constexpr int32_t kMaxMeanPoints = 99;
inline constexpr double kDefaultBinLength = 0.05;
inline constexpr double kMaxBinLength = 0.25;
inline constexpr int32_t kDefaultElementBins = 8;

// "Light curve elements", in its order.
enum ElementField : int {
  kLcPeriodField,
  kLcEpochField,
  kLcP2Field,
  kLcExtrDateField,
  kLcBinsField
};

// The fields as converted (nothing where the text is not a number).
struct LightCurveElements {
  std::optional<double> period = 0, epoch = 0;
  // Secondary views only.
  std::optional<double> p2 = 0, extremumDate = 0;
  std::optional<int32_t> bins = kDefaultElementBins;
};

// The elements the fields are stored into, each as soon as it converts (the
// fields after a refused one keep what they held).
struct ElementValues {
  Ephemeris primary;
  SecondaryEphemeris secondary;
};

// Mode 1 (the main period's light curve) takes the period (positive) and the
// epoch; mode 2 (the secondary views) also the secondary period (positive),
// the extremum date and more than one bin.
std::optional<FieldRefusal> CheckLightCurveElements(int32_t mode, const LightCurveElements& e,
                                                    ElementValues& values);

// "Moving average method calculation", in its order.
enum WaveField : int {
  kWavePointsField,
  kWaveBinLengthField,
  kWaveCollectField,
  kWaveResidualField
};

struct WaveParameters {
  int32_t curveNumber = 1;  // the spin box keeps it within 1 .. 100
  std::optional<int32_t> points = kDefaultMeanPoints;
  std::optional<double> binLength = kDefaultBinLength;
  std::string collectFile;   // where the curve is recorded
  std::string residualFile;  // named even when the residuals are not written
};

// The mean curve's own fields, stored into values as they convert:
// 1 < points <= kMaxMeanPoints and 0 < bin length <= kMaxBinLength.
std::optional<FieldRefusal> CheckMeanCurveParameters(const WaveParameters& p,
                                                     MeanCurveParameters& values);

// The whole dialog: the mean curve's fields, then both file names, which
// must not be empty.
std::optional<FieldRefusal> CheckWaveParameters(const WaveParameters& p,
                                                MeanCurveParameters& values);

}  // namespace korvel
