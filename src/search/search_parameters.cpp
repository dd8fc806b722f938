#include "search/search_parameters.h"

#include "core/messages.h"
#include "core/numeric.h"
#include "core/text_format.h"
#include "search/trial_grid.h"

namespace korvel {

namespace {

bool ApplyInitial(AnalysisState& s, const SearchParameters& p, FieldRules& f) {
  return f.Real(kPmaxField, p.pmax, s.Pmax, true, "Error in Pmax...") &&
         f.Real(kPminField, p.pmin, s.Pmin, true, "Error in Pmin...") &&
         f.Check(s.Pmax > s.Pmin, kPmaxField, kErrorInPRange) &&
         f.Real(kPhaseShiftField, p.phaseShift, s.FreqStep, true, kErrorInPhaseShift);
}

bool ApplySecondary(AnalysisState& s, const SearchParameters& p, FieldRules& f) {
  if (!(f.Real(kSecPeriodField, p.period, s.Period, true, kErrorInPeriod) &&
        f.Real(kSecEpochField, p.epoch, s.Epoch, false, kErrorInEpoch) &&
        f.Real(kSecExtrDateField, p.extremumDate, s.ExtrDate, false, "Error in JD ext...") &&
        f.Real(kSecPmaxField, p.pmax, s.Pmax, true, "Error in P max...") &&
        f.Real(kSecPminField, p.pmin, s.Pmin, true, "Error in P min...") &&
        f.Check(s.Pmax > s.Pmin, kSecPmaxField, kErrorInPRanges) &&
        f.Int(kSecBinsField, p.bins, s.NBins, 1, kErrorInBins) &&
        f.Real(kSecPhaseShiftField, p.phaseShift, s.FreqStep, true, kErrorInSecPhaseShift)))
    return false;
  s.SecPMode = p.mode == 2 ? 2 : 1;
  return true;
}

}  // namespace

SearchParameters DefaultSearchParameters(SearchKind kind) {
  SearchParameters p;
  if (MethodOf(kind).secondary) p.pmax = kDefaultSecondaryPmax;
  return p;
}

std::optional<FieldRefusal> ApplySearchParameters(AnalysisState& s, SearchKind kind,
                                                  const SearchParameters& p) {
  FieldRules f;
  const bool ok = MethodOf(kind).secondary ? ApplySecondary(s, p, f) : ApplyInitial(s, p, f);
  if (!ok) return f.refusal();
  SetFreqAxis(s);
  return std::nullopt;
}

std::string FieldText(double x) {
  return TrimZeros(Str(x, 0, 10));
}

}  // namespace korvel
