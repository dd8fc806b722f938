#include "search/search_methods.h"

#include "search/conditional_entropy.h"
#include "search/deeming.h"
#include "search/engine_support.h"
#include "search/lafler_kinman.h"
#include "search/lomb_scargle.h"
#include "search/multi_harmonic_aov.h"
#include "search/pdm.h"
#include "search/search_parameters.h"
#include "search/secondary_period.h"
#include "search/trial_record.h"

namespace korvel {

namespace {

std::optional<std::string> CheckSecondary(const SearchRequest& r, const Observations& o) {
  return CheckSecondaryElements(r.secondary, o.size());
}

constexpr MethodParameter kHarmonics[] = {
    {"Harmonics", "harmonics", &SearchRequest::harmonics, &AnalysisState::Harmonics}};
constexpr MethodParameter kPdmBins[] = {
    {"Bins", "bins", &SearchRequest::pdmBins, &AnalysisState::PdmBins},
    {"Covers", "covers", &SearchRequest::pdmCovers, &AnalysisState::PdmCovers}};
constexpr MethodParameter kEntropyBins[] = {
    {"Phase bins", "phase-bins", &SearchRequest::cePhaseBins, &AnalysisState::CePhaseBins},
    {"Magnitude bins", "mag-bins", &SearchRequest::ceMagBins, &AnalysisState::CeMagBins}};

constexpr std::span<const MethodParameter> kNoOwn;

constexpr SearchMethod kMethods[] = {
    {SearchKind::LaflerKinman, 'l', "lk", "Lafler-Kinman", "theta", true, &RunLaflerKinman,
     kEmptyTheta, false, false, true, EventsAt::AfterAdvance, kErrorInPRange, kErrorInPhaseShift,
     nullptr, kNoOwn},
    {SearchKind::Deeming, 'd', "deeming", "Deeming", "amplitude", false, &RunDeeming,
     kEmptyAmplitude, true, false, true, EventsAt::BeforeAdvance, kErrorInPRange,
     kErrorInPhaseShift, nullptr, kNoOwn},
    {SearchKind::Secondary, 's', "secondary", "Secondary period", "theta ratio", true,
     &RunSecondaryPeriod, kEmptyTheta, false, true, true, EventsAt::AfterAdvance, kErrorInPRanges,
     kErrorInSecPhaseShift, &CheckSecondary, kNoOwn},
    {SearchKind::LombScargle, 'g', "gls", "Generalised Lomb-Scargle", "power", false,
     &RunLombScargle, kEmptyPower, false, false, true, EventsAt::AfterAdvance, kErrorInPRange,
     kErrorInPhaseShift, nullptr, kNoOwn},
    {SearchKind::MultiHarmonicAov, 'a', "mhaov", "Multi-harmonic AoV", "F", false,
     &RunMultiHarmonicAov, kEmptyAovTheta, false, false, true, EventsAt::AfterAdvance,
     kErrorInPRange, kErrorInPhaseShift, &CheckHarmonics, kHarmonics},
    {SearchKind::Pdm, 'p', "pdm", "Phase dispersion minimisation", "theta", true, &RunPdm,
     kEmptyTheta, false, false, true, EventsAt::AfterAdvance, kErrorInPRange, kErrorInPhaseShift,
     &CheckPdmBins, kPdmBins},
    {SearchKind::ConditionalEntropy, 'c', "ce", "Conditional entropy", "entropy", true,
     &RunConditionalEntropy, kEmptyTheta, false, false, true, EventsAt::AfterAdvance,
     kErrorInPRange, kErrorInPhaseShift, &CheckEntropyBins, kEntropyBins},
};

constexpr bool OwnFieldsFit() {
  for (const SearchMethod& m : kMethods)
    if (m.parameters.size() > kMaxOwnFields) return false;
  return true;
}
static_assert(OwnFieldsFit(), "the search dialog holds at most kMaxOwnFields own parameters");

}  // namespace

std::span<const SearchMethod> SearchMethods() {
  return kMethods;
}

const SearchMethod& MethodOf(SearchKind kind) {
  for (const SearchMethod& m : kMethods)
    if (m.kind == kind) return m;
  return kMethods[0];
}

const SearchMethod* MethodOfView(char view) {
  for (const SearchMethod& m : kMethods)
    if (m.view == view) return &m;
  return nullptr;
}

const SearchMethod* MethodNamed(std::string_view name) {
  for (const SearchMethod& m : kMethods)
    if (name == m.name) return &m;
  return nullptr;
}

std::string MethodNames() {
  std::string names;
  for (const SearchMethod& m : kMethods) names += (names.empty() ? "" : ", ") + std::string(m.name);
  return names;
}

}  // namespace korvel
