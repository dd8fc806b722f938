// The checks of the light-curve dialogs, field by field in their order.
#include "lightcurve/wave_parameters.h"

#include "core/messages.h"

namespace korvel {

std::optional<FieldRefusal> CheckLightCurveElements(int32_t mode, const LightCurveElements& e,
                                                    ElementValues& values) {
  FieldRules f;
  Ephemeris& p = values.primary;
  SecondaryEphemeris& s = values.secondary;
  const bool ok = f.Real(kLcPeriodField, e.period, p.period, true, kErrorInPeriod) &&
                  f.Real(kLcEpochField, e.epoch, p.epoch, false, kErrorInEpoch) &&
                  (mode != 2 || (f.Real(kLcP2Field, e.p2, s.period, true, "Error in P2...") &&
                                 f.Real(kLcExtrDateField, e.extremumDate, s.extremumDate, false,
                                        "Error in JD extremal amplitude...") &&
                                 f.Int(kLcBinsField, e.bins, s.bins, 1, kErrorInBins)));
  if (ok) return std::nullopt;
  return f.refusal();
}

namespace {

bool CheckCurveFields(const WaveParameters& p, MeanCurveParameters& values, FieldRules& f) {
  constexpr const char* badNumber = "Error in Number...";
  constexpr const char* badLength = "Error in Interval extention...";
  return f.Int(kWavePointsField, p.points, values.points, 1, badNumber) &&
         f.Check(values.points <= kMaxMeanPoints, kWavePointsField, badNumber) &&
         f.Real(kWaveBinLengthField, p.binLength, values.binLength, true, badLength) &&
         f.Check(values.binLength <= kMaxBinLength, kWaveBinLengthField, badLength);
}

}  // namespace

std::optional<FieldRefusal> CheckMeanCurveParameters(const WaveParameters& p,
                                                     MeanCurveParameters& values) {
  FieldRules f;
  if (CheckCurveFields(p, values, f)) return std::nullopt;
  return f.refusal();
}

std::optional<FieldRefusal> CheckWaveParameters(const WaveParameters& p,
                                                MeanCurveParameters& values) {
  FieldRules f;
  constexpr const char* noName = "Select File Name...";
  // The residual file is named even when it is not to be written.
  if (CheckCurveFields(p, values, f) &&
      f.Check(!p.collectFile.empty(), kWaveCollectField, noName) &&
      f.Check(!p.residualFile.empty(), kWaveResidualField, noName))
    return std::nullopt;
  return f.refusal();
}

}  // namespace korvel
