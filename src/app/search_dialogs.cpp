#include "app/search_dialogs.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>
#include <utility>

#include "app/dialog_fields.h"
#include "core/text_format.h"
#include "search/document_search.h"
#include "search/search_guidance.h"
#include "search/search_pipeline.h"

namespace korvel {

namespace {

// The dialogs' controls in the order of their fields.
constexpr Control kInitialControls[] = {Control::LK_Pmax, Control::LK_Pmin, Control::LK_PhaseShift,
                                        Control::LK_Own1, Control::LK_Own2};
constexpr Control kOwnControls[kMaxOwnFields] = {Control::LK_Own1, Control::LK_Own2};
constexpr Control kOwnCaptions[kMaxOwnFields] = {Control::LK_Own1Caption, Control::LK_Own2Caption};
constexpr Control kSecondaryControls[] = {
    Control::SecP_Period, Control::SecP_Epoch, Control::SecP_ExtrDate,  Control::SecP_Pmax,
    Control::SecP_Pmin,   Control::SecP_NBins, Control::SecP_PhaseShift};

// A sample run this long measures a search's speed: short enough not to
// delay the dialog noticeably, long enough for some hundreds of trials.
constexpr double kSampleSeconds = 0.04;
// A window search shorter than this says little about the speed.
constexpr double kTellingSearchSeconds = 0.5;

auto SpeedKey(const AppContext& a, SearchKind kind, int32_t mode) {
  return std::make_tuple(kind, MethodOf(kind).secondary ? mode : 0, a.s.NObs, a.threads);
}

// The request the fields make, or the caption of the first field that is not
// a number.
struct FieldsRequest {
  SearchRequest request;
  std::string notANumber;
};

FieldsRequest RequestOfFields(const AppContext& a, SearchKind kind, const SearchParameters& f) {
  FieldsRequest fr;
  SearchRequest& r = fr.request;
  r.method = kind;
  r.threads = a.threads;
  r.windowSpectrum = MethodOf(kind).deeming && a.s.WindowSpec;
  const bool secondary = MethodOf(kind).secondary;
  const std::pair<bool, const char*> numbers[] = {
      {!secondary || f.period, "Primary period"},
      {!secondary || f.epoch, "Initial date of the primary period"},
      {!secondary || f.extremumDate, "Date of extremal light curve shape"},
      {f.pmax.has_value(), secondary ? "Maximum trial secondary period" : "Maximum trial period"},
      {f.pmin.has_value(), secondary ? "Minimum trial secondary period" : "Minimum trial period"},
      {!secondary || f.bins, "Phase bin number for secondary period"},
      {f.phaseShift.has_value(),
       secondary ? "Maximum phase shift of the secondary period" : "Maximum phase shift"},
  };
  for (const auto& [ok, caption] : numbers)
    if (!ok) {
      fr.notANumber = caption;
      return fr;
    }
  const auto own = MethodOf(kind).parameters;
  for (size_t k = 0; k < own.size() && k < f.own.size(); ++k) {
    if (!f.own[k]) {
      fr.notANumber = own[k].caption;
      return fr;
    }
    r.*own[k].request = *f.own[k];
  }
  r.pmin = *f.pmin;
  r.pmax = *f.pmax;
  r.phaseShift = *f.phaseShift;
  if (secondary) r.secondary = {*f.period, a.s.P2Epoch, *f.extremumDate, *f.bins, f.mode};
  return fr;
}

// A number and its unit kept on one line of the wrapped label.
constexpr const char* kUnitSpace = "\u00a0";

// A length of days with about three significant digits.
std::string Days(double x) {
  const double magnitude = x > 0 ? std::floor(std::log10(x)) : 0;
  const int decimals = static_cast<int>(std::clamp(2 - magnitude, 0.0, 8.0));
  return Str(x, 0, decimals) + kUnitSpace + "d";
}

std::string Duration(double seconds) {
  const auto about = [](double x, int decimals, const char* unit) {
    return "about " + Str(x, 0, decimals) + kUnitSpace + unit;
  };
  if (seconds < 1) return std::string("under 1") + kUnitSpace + "s";
  if (seconds < 90) return about(std::round(seconds), 0, "s");
  if (seconds < 90 * 60) return about(std::round(seconds / 60), 0, "min");
  return about(seconds / 3600, seconds < 10 * 3600 ? 1 : 0, "h");
}

std::string GuidanceText(const AppContext& a, SearchKind kind, const SearchParameters& fields) {
  std::string text = MethodOf(kind).secondary ? "Periods and dates in days. " : "Periods in days. ";
  const FieldsRequest fr = RequestOfFields(a, kind, fields);
  if (!fr.notANumber.empty()) return text + "\"" + fr.notANumber + "\" is not a number.";
  const Observations o = ObservationsOf(a.s);
  const auto prepared = PrepareSearch(fr.request, o);
  if (const auto* refusal = std::get_if<Refusal>(&prepared)) return text + refusal->text;
  const double trials = std::get<PreparedSearch>(prepared).trials;
  text += Str(static_cast<int64_t>(trials)) + " trials";
  const auto speed = a.guidance.speeds.find(SpeedKey(a, kind, fr.request.secondary.mode));
  if (speed != a.guidance.speeds.end())
    text += ", " + Duration(SecondsFor(trials, o.size(), speed->second));
  text += ".";

  const SamplingWarnings w = CheckSampling(fr.request.pmin, fr.request.pmax, o.jd);
  if (w.pminBelowSpacing)
    text +=
        "\nWarning: the minimum period is below twice the typical spacing of the "
        "observations within a night (" +
        Days(*w.spacing) + "), so shorter periods are not resolved.";
  if (w.pmaxBeyondHalfSpan)
    text += "\nWarning: the maximum period is beyond half the time span of the data (" +
            Days(w.span / 2) + " of " + Days(w.span) +
            "), so such periods show fewer than two cycles.";
  return text;
}

// Times the search the fields ask for, once per search, mode, number of
// observations and threads.
void MeasureSpeed(AppContext& a, SearchKind kind, const SearchParameters& fields) {
  const FieldsRequest fr = RequestOfFields(a, kind, fields);
  if (!fr.notANumber.empty()) return;
  const auto key = SpeedKey(a, kind, fr.request.secondary.mode);
  if (a.guidance.speeds.count(key)) return;
  if (const auto speed = MeasureSearchSpeed(fr.request, ObservationsOf(a.s), kSampleSeconds))
    a.guidance.speeds[key] = *speed;
}

}  // namespace

SearchParameters InitialDialogFields(AppContext& a) {
  SearchParameters p;
  p.pmax = RealOf(a, Control::LK_Pmax);
  p.pmin = RealOf(a, Control::LK_Pmin);
  p.phaseShift = RealOf(a, Control::LK_PhaseShift);
  for (size_t k = 0; k < MethodOf(a.guidance.initialKind).parameters.size(); ++k)
    p.own.push_back(IntOf(a, kOwnControls[k]));
  return p;
}

SearchParameters SecondaryDialogFields(AppContext& a) {
  SearchParameters p;
  p.period = RealOf(a, Control::SecP_Period);
  p.epoch = RealOf(a, Control::SecP_Epoch);
  p.extremumDate = RealOf(a, Control::SecP_ExtrDate);
  p.pmax = RealOf(a, Control::SecP_Pmax);
  p.pmin = RealOf(a, Control::SecP_Pmin);
  p.bins = IntOf(a, Control::SecP_NBins);
  p.phaseShift = RealOf(a, Control::SecP_PhaseShift);
  p.mode = a.p.Checked(Control::SecP_Mode2) ? 2 : 1;
  return p;
}

bool AcceptSearchParameters(AppContext& a) {
  return AcceptFields(a, ApplySearchParameters(a.s, a.guidance.initialKind, InitialDialogFields(a)),
                      kInitialControls);
}

bool AcceptSecondarySearchParameters(AppContext& a) {
  return AcceptFields(a,
                      ApplySearchParameters(a.s, SearchKind::Secondary, SecondaryDialogFields(a)),
                      kSecondaryControls);
}

void ShowInitialSearchDialog(AppContext& a, SearchKind kind) {
  a.guidance.initialKind = kind;
  // The search's own parameters as last accepted, the rows of the others
  // hidden.
  const auto own = MethodOf(kind).parameters;
  for (size_t k = 0; k < kMaxOwnFields; ++k) {
    const bool shown = k < own.size();
    a.p.SetVisible(kOwnControls[k], shown);
    a.p.SetVisible(kOwnCaptions[k], shown);
    if (!shown) continue;
    a.p.SetText(kOwnCaptions[k], own[k].caption);
    a.p.SetText(kOwnControls[k], Str(int64_t{a.s.*own[k].document}, 0));
  }
  MeasureSpeed(a, kind, InitialDialogFields(a));
  UpdateSearchGuidance(a);
}

void ShowSecondarySearchDialog(AppContext& a) {
  if (a.s.Period != 0) a.p.SetText(Control::SecP_Period, FieldText(a.s.Period));
  if (a.s.Epoch != 0) a.p.SetText(Control::SecP_Epoch, FieldText(a.s.Epoch));
  MeasureSpeed(a, SearchKind::Secondary, SecondaryDialogFields(a));
  UpdateSearchGuidance(a);
}

void UpdateSearchGuidance(AppContext& a) {
  a.p.SetText(Control::LK_Guidance,
              GuidanceText(a, a.guidance.initialKind, InitialDialogFields(a)));
  a.p.SetText(Control::SecP_Guidance,
              GuidanceText(a, SearchKind::Secondary, SecondaryDialogFields(a)));
}

void RememberSearchSpeed(AppContext& a, SearchKind kind, int32_t mode, double trials,
                         double seconds) {
  if (!(seconds >= kTellingSearchSeconds) || !(trials > 0) || a.s.NObs <= 0) return;
  a.guidance.speeds[SpeedKey(a, kind, mode)] = trials * a.s.NObs / seconds;
}

}  // namespace korvel
