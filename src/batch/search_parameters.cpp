#include "batch/search_parameters.h"

#include <cmath>

#include "search/trial_grid.h"

namespace korvel::batch {

namespace {

// Stores the value, then checks it: the dialog keeps a stored value even
// when it refuses it.
bool Store(double value, double& field, bool positive) {
  field = value;
  return std::isfinite(value) && (!positive || value > 0);
}

std::optional<std::string> ApplyInitialParameters(AnalysisState& s, const SearchParameters& p) {
  if (!Store(p.pmax, s.Pmax, true)) return "Error in Pmax...";
  if (!Store(p.pmin, s.Pmin, true)) return "Error in Pmin...";
  if (!(s.Pmax > s.Pmin)) return "Error in P range...";
  if (!Store(p.phaseShift, s.FreqStep, true)) return "Error in phase shift...";
  return std::nullopt;
}

std::optional<std::string> ApplySecondaryParameters(AnalysisState& s, const SearchParameters& p) {
  if (!Store(p.period, s.Period, true)) return "Error in Po...";
  if (!Store(p.epoch, s.Epoch, false)) return "Error in JD max...";
  if (!Store(p.extremumDate, s.ExtrDate, false)) return "Error in JD ext...";
  if (!Store(p.pmax, s.Pmax, true)) return "Error in P max...";
  if (!Store(p.pmin, s.Pmin, true)) return "Error in P min...";
  if (!(s.Pmax > s.Pmin)) return "Error in P ranges...";
  s.NBins = p.bins;
  if (!(s.NBins > 1)) return "Error in Number of bins...";
  if (!Store(p.phaseShift, s.FreqStep, true)) return "Error in Phase shift...";
  s.SecPMode = p.mode == 2 ? 2 : 1;
  return std::nullopt;
}

}  // namespace

std::optional<std::string> ApplySearchParameters(AnalysisState& s, SearchKind kind,
                                                 const SearchParameters& p) {
  const auto refusal =
      kind == SearchKind::Secondary ? ApplySecondaryParameters(s, p) : ApplyInitialParameters(s, p);
  if (refusal) return refusal;
  SetFreqAxis(s);
  return std::nullopt;
}

}  // namespace korvel::batch
