#include "lightcurve/wave_parameters.h"

#include "core/messages.h"

namespace korvel {

std::optional<FieldRefusal> ApplyLightCurveElements(AnalysisState& s, int32_t mode,
                                                    const LightCurveElements& e) {
  FieldRules f;
  const bool ok = f.Real(kLcPeriodField, e.period, s.Period, true, kErrorInPeriod) &&
                  f.Real(kLcEpochField, e.epoch, s.Epoch, false, kErrorInEpoch) &&
                  (mode != 2 || (f.Real(kLcP2Field, e.p2, s.P2, true, "Error in P2...") &&
                                 f.Real(kLcExtrDateField, e.extremumDate, s.ExtrDate, false,
                                        "Error in JD extremal amplitude...") &&
                                 f.Int(kLcBinsField, e.bins, s.NBins, 1, kErrorInBins)));
  if (ok) return std::nullopt;
  return f.refusal();
}

namespace {

bool ApplyCurveFields(AnalysisState& s, const WaveParameters& p, FieldRules& f) {
  s.CurveNumber = p.curveNumber;
  constexpr const char* badNumber = "Error in Number...";
  constexpr const char* badLength = "Error in Interval extention...";
  return f.Int(kWavePointsField, p.points, s.MeanPoints, 1, badNumber) &&
         f.Check(s.MeanPoints < AnalysisState::kMeanSize, kWavePointsField, badNumber) &&
         f.Real(kWaveBinLengthField, p.binLength, s.BinLength, true, badLength) &&
         f.Check(s.BinLength <= kMaxBinLength, kWaveBinLengthField, badLength);
}

}  // namespace

std::optional<FieldRefusal> ApplyMeanCurveParameters(AnalysisState& s, const WaveParameters& p) {
  FieldRules f;
  if (ApplyCurveFields(s, p, f)) return std::nullopt;
  return f.refusal();
}

std::optional<FieldRefusal> ApplyWaveParameters(AnalysisState& s, const WaveParameters& p) {
  FieldRules f;
  constexpr const char* noName = "Select File Name...";
  if (!ApplyCurveFields(s, p, f) || !f.Check(!p.collectFile.empty(), kWaveCollectField, noName))
    return f.refusal();
  s.CollectFileName = p.collectFile;
  // The residual file is named even when it is not to be written.
  if (!f.Check(!p.residualFile.empty(), kWaveResidualField, noName)) return f.refusal();
  return std::nullopt;
}

}  // namespace korvel
