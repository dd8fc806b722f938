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

#include "core/analysis_state.h"
#include "core/parameter_fields.h"

namespace korvel {

inline constexpr int32_t kDefaultMeanPoints = 40;
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

struct LightCurveElements {
  std::optional<double> period = 0, epoch = 0;
  // Secondary views only.
  std::optional<double> p2 = 0, extremumDate = 0;
  std::optional<int32_t> bins = kDefaultElementBins;
};

// Mode 1 (the main period's light curve) takes the period (positive) and the
// epoch; mode 2 (the secondary views) also the secondary period (positive),
// the extremum date and more than one bin.
std::optional<FieldRefusal> ApplyLightCurveElements(AnalysisState& s, int32_t mode,
                                                    const LightCurveElements& e);

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

// The mean curve's own fields: the curve number, 1 < points < 100 and
// 0 < bin length <= 0.25 (MeanPoints, BinLength).
std::optional<FieldRefusal> ApplyMeanCurveParameters(AnalysisState& s, const WaveParameters& p);

// The whole dialog: the mean curve's fields, then both file names, which
// must not be empty (the collecting file becomes CollectFileName).
std::optional<FieldRefusal> ApplyWaveParameters(AnalysisState& s, const WaveParameters& p);

}  // namespace korvel
