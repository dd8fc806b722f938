#include "io/analysis_file.h"

#include <cmath>
#include <filesystem>
#include <limits>

#include "core/error.h"
#include "io/file_paths.h"
#include "io/output_file.h"
#include "io/read_observations.h"

namespace korvel {

namespace {

using Json = nlohmann::ordered_json;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

bool SameNumber(double a, double b) {
  return a == b || (std::isnan(a) && std::isnan(b));
}

// ---- Writing ----

Json Optional(const std::optional<double>& v) {
  return v ? Json(*v) : Json(nullptr);
}

Json Refs(const std::vector<ObservationRef>& refs) {
  Json a = Json::array();
  for (const ObservationRef& r : refs)
    a.push_back({{"index", r.index}, {"jd", r.jd}, {"mag", r.mag}});
  return a;
}

std::string Letter(char c) {
  return c ? std::string(1, c) : std::string();
}

Json SearchJson(const AnalysisSearch& s) {
  Json best = Json::array();
  for (const AnalysisTrial& t : s.best)
    best.push_back({{"period", t.period}, {"frequency", t.frequency}, {"statistic", t.statistic}});
  Json peaks = Json::array();
  for (const AnalysisPeak& p : s.peaks)
    peaks.push_back({{"period", p.period},
                     {"frequency", p.frequency},
                     {"statistic", p.statistic},
                     {"fitted_period", p.fittedPeriod},
                     {"period_error", p.periodError},
                     {"fap", p.fap},
                     {"label", p.label}});
  Json j = {{"method", s.method},
            {"pmin", s.pmin},
            {"pmax", s.pmax},
            {"frequency_step", s.frequencyStep},
            {"primary_theta", s.primaryTheta},
            {"spectrum",
             {{"low", s.spectrumLow},
              {"high", s.spectrumHigh},
              {"min", s.spectrumMin},
              {"max", s.spectrumMax}}},
            {"best", best},
            {"peaks", peaks}};
  // Written only where the method has any: other searches' files stay as
  // they always were.
  if (!s.methodParameters.empty()) {
    Json own = Json::object();
    for (const auto& [key, value] : s.methodParameters) own[key] = value;
    j["method_parameters"] = own;
  }
  return j;
}

Json KnownJson(const AnalysisDocument& d) {
  const AnalysisObservations& o = d.observations;
  const AnalysisElements& e = d.elements;
  const AnalysisSearchParameters& p = d.search;
  Json curve = Json::array();
  for (const AnalysisMeanPoint& m : d.meanCurve.curve)
    curve.push_back({{"count", m.count},
                     {"phase", m.phase},
                     {"mag", m.mag},
                     {"phase_error", m.phaseError},
                     {"mag_error", m.magError},
                     {"edited", m.edited}});
  Json observations = {{"file", o.file},
                       {"relative_file", o.relativeFile},
                       {"column", o.column},
                       {"read_zeros", o.readZeros},
                       {"jd_min", o.jdMin},
                       {"jd_max", o.jdMax},
                       {"loaded_count", o.loadedCount},
                       {"intensities", o.intensities},
                       {"deleted", Refs(o.deleted)},
                       {"marked", Refs(o.marked)},
                       {"magnitudes", o.magnitudes.empty() ? Json(nullptr) : Json(o.magnitudes)}};
  // Plain files keep the analysis file as it always was.
  if (o.format != "plain")
    observations["read_format"] = {{"format", o.format},
                                   {"band", o.band},
                                   {"time_column", o.timeColumn},
                                   {"mag_column", o.magColumn},
                                   {"err_column", o.errColumn},
                                   {"time_offset", o.timeOffset},
                                   {"flux", o.flux}};
  Json collected = Json::array();
  for (const AnalysisCollectedCurve& c : d.collected)
    collected.push_back(
        {{"period", c.period}, {"epoch", c.epoch}, {"phase", c.phase}, {"mag", c.mag}});
  return {
      {"format", kAnalysisFormat},
      {"version", kAnalysisVersion},
      {"observations", observations},
      {"elements",
       {{"period", e.period},
        {"epoch", e.epoch},
        {"secondary_period", e.secondaryPeriod},
        {"secondary_epoch", e.secondaryEpoch},
        {"extremum_date", e.extremumDate},
        {"bins", e.bins},
        {"period_doubled", e.periodDoubled}}},
      {"search_parameters",
       {{"pmin", Optional(p.pmin)},
        {"pmax", Optional(p.pmax)},
        {"phase_shift", Optional(p.phaseShift)},
        {"window_spectrum", p.windowSpectrum},
        {"secondary",
         {{"period", Optional(p.secondaryPeriod)},
          {"epoch", Optional(p.secondaryEpoch)},
          {"extremum_date", Optional(p.secondaryExtremumDate)},
          {"pmin", Optional(p.secondaryPmin)},
          {"pmax", Optional(p.secondaryPmax)},
          {"bins", p.secondaryBins ? Json(*p.secondaryBins) : Json(nullptr)},
          {"phase_shift", Optional(p.secondaryPhaseShift)},
          {"mode", p.secondaryMode}}}}},
      {"last_search", d.lastSearch ? SearchJson(*d.lastSearch) : Json(nullptr)},
      {"mean_curve",
       {{"number", d.meanCurve.number},
        {"points", d.meanCurve.points},
        {"bin_length", d.meanCurve.binLength},
        {"mag_high", d.meanCurve.magHigh},
        {"mag_low", d.meanCurve.magLow},
        {"state", Letter(d.meanCurve.state)},
        {"curve", curve}}},
      {"collecting_file", d.collectingFile},
      {"residual_file", d.residualFile},
      {"collected",
       d.collectedFile ? Json{{"file", *d.collectedFile}, {"curves", collected}} : Json(nullptr)},
      {"view",
       {{"view", Letter(d.view.view)},
        {"ready", Letter(d.view.ready)},
        {"jd_low", d.view.jdLow},
        {"jd_high", d.view.jdHigh},
        {"mag_low", d.view.magLow},
        {"mag_high", d.view.magHigh},
        {"phase_min", d.view.phMin},
        {"phase_max", d.view.phMax},
        {"full_range", d.view.fullRange},
        {"mirror", d.view.mirror},
        {"mirror_jd", d.view.mirrorJD}}},
  };
}

// ---- Reading: every value checked, its place named in the reason ----

struct Refused {
  std::string reason;
};

class Reader {
 public:
  explicit Reader(std::string name) : name_(std::move(name)) {}

  [[noreturn]] void Fail(const std::string& where, const std::string& what) const {
    throw Refused{name_ + ": " + where + ": " + what};
  }

  const Json& Object(const Json& parent, const char* key, const std::string& where) const {
    const Json& j = At(parent, key, where);
    if (!j.is_object()) Fail(Path(where, key), "expected an object");
    return j;
  }
  const Json& Array(const Json& parent, const char* key, const std::string& where) const {
    const Json& j = At(parent, key, where);
    if (!j.is_array()) Fail(Path(where, key), "expected a list");
    return j;
  }
  bool Has(const Json& parent, const char* key) const {
    return parent.contains(key) && !parent.at(key).is_null();
  }

  double Number(const Json& j, const std::string& where) const {
    if (!j.is_number()) Fail(where, "expected a number");
    const double v = j.get<double>();
    if (!std::isfinite(v)) Fail(where, "expected a finite number");
    return v;
  }
  double Number(const Json& parent, const char* key, const std::string& where) const {
    return Number(At(parent, key, where), Path(where, key));
  }
  // A number that may be unknown (null, as NaN is written).
  double NumberOrNaN(const Json& parent, const char* key, const std::string& where) const {
    if (!Has(parent, key)) return kNaN;
    return Number(parent.at(key), Path(where, key));
  }
  std::optional<double> Optional(const Json& parent, const char* key,
                                 const std::string& where) const {
    if (!Has(parent, key)) return std::nullopt;
    return Number(parent.at(key), Path(where, key));
  }
  int64_t Whole(const Json& parent, const char* key, const std::string& where, int64_t lo,
                int64_t hi) const {
    const Json& j = At(parent, key, where);
    return Whole(j, Path(where, key), lo, hi);
  }
  int64_t Whole(const Json& j, const std::string& where, int64_t lo, int64_t hi) const {
    if (!j.is_number_integer()) Fail(where, "expected a whole number");
    // The parser makes every non-negative whole number unsigned.
    const bool inRange = j.is_number_unsigned() ? j.get<uint64_t>() <= static_cast<uint64_t>(hi) &&
                                                      j.get<int64_t>() >= lo
                                                : j.get<int64_t>() >= lo && j.get<int64_t>() <= hi;
    if (!inRange) Fail(where, "must lie from " + std::to_string(lo) + " to " + std::to_string(hi));
    return j.get<int64_t>();
  }
  bool Bool(const Json& parent, const char* key, const std::string& where) const {
    const Json& j = At(parent, key, where);
    if (!j.is_boolean()) Fail(Path(where, key), "expected true or false");
    return j.get<bool>();
  }
  std::string Text(const Json& parent, const char* key, const std::string& where) const {
    const Json& j = At(parent, key, where);
    if (!j.is_string()) Fail(Path(where, key), "expected a text");
    return j.get<std::string>();
  }
  // A one-letter code, or nothing (""), among the letters allowed.
  char Letter(const Json& parent, const char* key, const std::string& where,
              const std::string& allowed) const {
    const std::string t = Text(parent, key, where);
    if (t.empty() && allowed.find(' ') != std::string::npos) return 0;
    if (t.size() != 1 || t[0] == ' ' || allowed.find(t[0]) == std::string::npos)
      Fail(Path(where, key), "must be one of the letters \"" + allowed + "\"");
    return t[0];
  }
  std::vector<double> Numbers(const Json& parent, const char* key, const std::string& where) const {
    const Json& a = Array(parent, key, where);
    std::vector<double> v;
    v.reserve(a.size());
    for (size_t i = 0; i < a.size(); ++i)
      v.push_back(Number(a[i], Path(where, key) + "[" + std::to_string(i) + "]"));
    return v;
  }

  static std::string Path(const std::string& where, const char* key) {
    return where.empty() ? key : where + "." + key;
  }

 private:
  const Json& At(const Json& parent, const char* key, const std::string& where) const {
    if (!parent.contains(key)) Fail(Path(where, key), "missing");
    return parent.at(key);
  }

  std::string name_;
};

std::vector<ObservationRef> ReadRefs(const Reader& r, const Json& o, const char* key,
                                     int64_t count) {
  const Json& a = r.Array(o, key, "observations");
  std::vector<ObservationRef> refs;
  int64_t previous = 0;
  for (size_t i = 0; i < a.size(); ++i) {
    const std::string where = std::string("observations.") + key + "[" + std::to_string(i) + "]";
    if (!a[i].is_object()) r.Fail(where, "expected an object");
    ObservationRef ref;
    ref.index = r.Whole(a[i], "index", where, 1, std::max<int64_t>(count, 1));
    if (ref.index > count) r.Fail(where + ".index", "beyond the loaded count");
    // Ascending and distinct, so that applying them is one pass.
    if (ref.index <= previous) r.Fail(where + ".index", "not above the one before");
    previous = ref.index;
    ref.jd = r.Number(a[i], "jd", where);
    ref.mag = r.Number(a[i], "mag", where);
    refs.push_back(ref);
  }
  return refs;
}

AnalysisObservations ReadObservationsPart(const Reader& r, const Json& root) {
  const Json& o = r.Object(root, "observations", "");
  const std::string w = "observations";
  AnalysisObservations v;
  v.file = r.Text(o, "file", w);
  if (v.file.empty()) r.Fail(w + ".file", "empty");
  v.relativeFile = r.Has(o, "relative_file") ? r.Text(o, "relative_file", w) : std::string();
  v.column = static_cast<int32_t>(r.Whole(o, "column", w, 1, INT32_MAX));
  v.readZeros = r.Bool(o, "read_zeros", w);
  v.jdMin = r.Number(o, "jd_min", w);
  v.jdMax = r.Number(o, "jd_max", w);
  if (v.jdMin > v.jdMax) r.Fail(w + ".jd_min", "above jd_max");
  v.loadedCount = r.Whole(o, "loaded_count", w, 1, INT32_MAX);
  v.intensities = r.Bool(o, "intensities", w);
  if (r.Has(o, "read_format")) {
    const std::string wf = w + ".read_format";
    const Json& f = r.Object(o, "read_format", w);
    v.format = r.Text(f, "format", wf);
    bool known = false;
    try {
      known = ObservationFormatOfName(v.format) != ObservationFormat::Auto;
    } catch (const KorvelError&) {
    }
    if (!known) r.Fail(wf + ".format", "\"" + v.format + "\" is no file format");
    v.band = r.Text(f, "band", wf);
    v.timeColumn = r.Text(f, "time_column", wf);
    v.magColumn = r.Text(f, "mag_column", wf);
    v.errColumn = r.Text(f, "err_column", wf);
    v.timeOffset = r.Number(f, "time_offset", wf);
    v.flux = r.Bool(f, "flux", wf);
  }
  v.deleted = ReadRefs(r, o, "deleted", v.loadedCount);
  v.marked = ReadRefs(r, o, "marked", v.loadedCount);
  for (const ObservationRef& m : v.marked)
    for (const ObservationRef& d : v.deleted)
      if (m.index == d.index)
        r.Fail(w + ".marked", "observation " + std::to_string(m.index) + " is also deleted");
  if (r.Has(o, "magnitudes")) {
    v.magnitudes = r.Numbers(o, "magnitudes", w);
    const auto remaining = static_cast<size_t>(v.loadedCount) - v.deleted.size();
    if (v.magnitudes.size() != remaining)
      r.Fail(w + ".magnitudes", "holds " + std::to_string(v.magnitudes.size()) + " values for " +
                                    std::to_string(remaining) + " observations");
  }
  return v;
}

AnalysisElements ReadElements(const Reader& r, const Json& root) {
  const Json& e = r.Object(root, "elements", "");
  const std::string w = "elements";
  AnalysisElements v;
  v.period = r.Number(e, "period", w);
  v.epoch = r.Number(e, "epoch", w);
  v.secondaryPeriod = r.Number(e, "secondary_period", w);
  v.secondaryEpoch = r.Number(e, "secondary_epoch", w);
  v.extremumDate = r.Number(e, "extremum_date", w);
  v.bins = static_cast<int32_t>(r.Whole(e, "bins", w, INT32_MIN, INT32_MAX));
  v.periodDoubled = r.Bool(e, "period_doubled", w);
  return v;
}

AnalysisSearchParameters ReadSearchParameters(const Reader& r, const Json& root) {
  const Json& p = r.Object(root, "search_parameters", "");
  const std::string w = "search_parameters";
  AnalysisSearchParameters v;
  v.pmin = r.Optional(p, "pmin", w);
  v.pmax = r.Optional(p, "pmax", w);
  v.phaseShift = r.Optional(p, "phase_shift", w);
  v.windowSpectrum = r.Bool(p, "window_spectrum", w);
  const Json& s = r.Object(p, "secondary", w);
  const std::string ws = w + ".secondary";
  v.secondaryPeriod = r.Optional(s, "period", ws);
  v.secondaryEpoch = r.Optional(s, "epoch", ws);
  v.secondaryExtremumDate = r.Optional(s, "extremum_date", ws);
  v.secondaryPmin = r.Optional(s, "pmin", ws);
  v.secondaryPmax = r.Optional(s, "pmax", ws);
  if (r.Has(s, "bins"))
    v.secondaryBins = static_cast<int32_t>(r.Whole(s, "bins", ws, INT32_MIN, INT32_MAX));
  v.secondaryPhaseShift = r.Optional(s, "phase_shift", ws);
  v.secondaryMode = static_cast<int32_t>(r.Whole(s, "mode", ws, 1, 2));
  return v;
}

std::optional<AnalysisSearch> ReadLastSearch(const Reader& r, const Json& root) {
  if (!r.Has(root, "last_search")) return std::nullopt;
  const Json& s = r.Object(root, "last_search", "");
  const std::string w = "last_search";
  AnalysisSearch v;
  v.method = r.Text(s, "method", w);
  v.pmin = r.Number(s, "pmin", w);
  v.pmax = r.Number(s, "pmax", w);
  if (!(v.pmin > 0) || !(v.pmax > v.pmin)) r.Fail(w + ".pmax", "must be above pmin > 0");
  v.frequencyStep = r.Number(s, "frequency_step", w);
  if (!(v.frequencyStep > 0)) r.Fail(w + ".frequency_step", "must be positive");
  v.primaryTheta = r.Number(s, "primary_theta", w);
  const Json& sp = r.Object(s, "spectrum", w);
  const std::string wsp = w + ".spectrum";
  v.spectrumLow = r.Numbers(sp, "low", wsp);
  v.spectrumHigh = r.Numbers(sp, "high", wsp);
  for (const auto* column : {&v.spectrumLow, &v.spectrumHigh})
    if (column->size() != kAnalysisSpectrumColumns)
      r.Fail(wsp, "a spectrum has " + std::to_string(kAnalysisSpectrumColumns) + " columns");
  v.spectrumMin = r.Number(sp, "min", wsp);
  v.spectrumMax = r.Number(sp, "max", wsp);
  const Json& best = r.Array(s, "best", w);
  if (best.size() > 20) r.Fail(w + ".best", "holds more than 20 trials");
  for (size_t i = 0; i < best.size(); ++i) {
    const std::string wi = w + ".best[" + std::to_string(i) + "]";
    if (!best[i].is_object()) r.Fail(wi, "expected an object");
    v.best.push_back({r.Number(best[i], "period", wi), r.Number(best[i], "frequency", wi),
                      r.Number(best[i], "statistic", wi)});
    if (!(v.best.back().period > 0)) r.Fail(wi + ".period", "must be positive");
  }
  const Json& peaks = r.Array(s, "peaks", w);
  for (size_t i = 0; i < peaks.size(); ++i) {
    const std::string wi = w + ".peaks[" + std::to_string(i) + "]";
    const Json& p = peaks[i];
    if (!p.is_object()) r.Fail(wi, "expected an object");
    AnalysisPeak peak;
    peak.period = r.Number(p, "period", wi);
    peak.frequency = r.Number(p, "frequency", wi);
    peak.statistic = r.Number(p, "statistic", wi);
    peak.fittedPeriod = r.NumberOrNaN(p, "fitted_period", wi);
    peak.periodError = r.NumberOrNaN(p, "period_error", wi);
    peak.fap = r.NumberOrNaN(p, "fap", wi);
    if (peak.fap < 0 || peak.fap > 1) r.Fail(wi + ".fap", "must lie from 0 to 1");
    peak.label = r.Has(p, "label") ? r.Text(p, "label", wi) : std::string();
    v.peaks.push_back(peak);
  }
  if (r.Has(s, "method_parameters")) {
    const Json& own = r.Object(s, "method_parameters", w);
    for (auto it = own.begin(); it != own.end(); ++it)
      v.methodParameters[it.key()] = static_cast<int32_t>(
          r.Whole(*it, w + ".method_parameters." + it.key(), INT32_MIN, INT32_MAX));
  }
  return v;
}

AnalysisMeanCurve ReadMeanCurve(const Reader& r, const Json& root) {
  const Json& m = r.Object(root, "mean_curve", "");
  const std::string w = "mean_curve";
  AnalysisMeanCurve v;
  v.number = static_cast<int32_t>(r.Whole(m, "number", w, INT32_MIN, INT32_MAX));
  // The window keeps at most 99 points.
  v.points = static_cast<int32_t>(r.Whole(m, "points", w, 0, 99));
  v.binLength = r.Number(m, "bin_length", w);
  v.magHigh = r.Number(m, "mag_high", w);
  v.magLow = r.Number(m, "mag_low", w);
  v.state = r.Letter(m, "state", w, "df ");
  const Json& curve = r.Array(m, "curve", w);
  // A computed curve has its points; without one there are none.
  const size_t expected = v.state ? static_cast<size_t>(v.points) : 0;
  if (curve.size() != expected)
    r.Fail(w + ".curve",
           "holds " + std::to_string(curve.size()) + " points, not " + std::to_string(expected));
  for (size_t i = 0; i < curve.size(); ++i) {
    const std::string wi = w + ".curve[" + std::to_string(i) + "]";
    if (!curve[i].is_object()) r.Fail(wi, "expected an object");
    v.curve.push_back({r.Number(curve[i], "count", wi), r.Number(curve[i], "phase", wi),
                       r.Number(curve[i], "mag", wi), r.Number(curve[i], "phase_error", wi),
                       r.Number(curve[i], "mag_error", wi), r.Number(curve[i], "edited", wi)});
  }
  return v;
}

void ReadCollected(const Reader& r, const Json& root, AnalysisDocument& d) {
  if (!r.Has(root, "collected")) return;
  const Json& c = r.Object(root, "collected", "");
  d.collectedFile = r.Text(c, "file", "collected");
  const Json& curves = r.Array(c, "curves", "collected");
  for (size_t i = 0; i < curves.size(); ++i) {
    const std::string wi = "collected.curves[" + std::to_string(i) + "]";
    if (!curves[i].is_object()) r.Fail(wi, "expected an object");
    AnalysisCollectedCurve curve;
    curve.period = r.Number(curves[i], "period", wi);
    curve.epoch = r.Number(curves[i], "epoch", wi);
    curve.phase = r.Numbers(curves[i], "phase", wi);
    curve.mag = r.Numbers(curves[i], "mag", wi);
    if (curve.phase.size() != curve.mag.size()) r.Fail(wi, "phase and mag differ in length");
    d.collected.push_back(std::move(curve));
  }
}

AnalysisView ReadView(const Reader& r, const Json& root) {
  const Json& j = r.Object(root, "view", "");
  const std::string w = "view";
  AnalysisView v;
  // Which letters are views is the method table's to say: the document
  // checks the letter when it is restored.
  v.view = r.Letter(j, "view", w, "abcdefghijklmnopqrstuvwxyz");
  v.ready = r.Letter(j, "ready", w, "yn");
  v.jdLow = r.Number(j, "jd_low", w);
  v.jdHigh = r.Number(j, "jd_high", w);
  v.magLow = r.Number(j, "mag_low", w);
  v.magHigh = r.Number(j, "mag_high", w);
  v.phMin = r.Number(j, "phase_min", w);
  v.phMax = r.Number(j, "phase_max", w);
  v.fullRange = r.Bool(j, "full_range", w);
  v.mirror = r.Bool(j, "mirror", w);
  v.mirrorJD = r.Number(j, "mirror_jd", w);
  return v;
}

AnalysisDocument ReadDocument(const Reader& r, const Json& root) {
  if (!root.is_object()) r.Fail("document", "expected a JSON object");
  if (!root.contains("format") || root.at("format") != kAnalysisFormat)
    r.Fail("format",
           std::string("not a KORVEL analysis (\"format\" must be \"") + kAnalysisFormat + "\")");
  const int64_t version = r.Whole(root, "version", "", 1, INT32_MAX);
  if (version > kAnalysisVersion)
    r.Fail("version", "version " + std::to_string(version) + " is newer than this KORVEL reads (" +
                          std::to_string(kAnalysisVersion) + ")");
  AnalysisDocument d;
  d.observations = ReadObservationsPart(r, root);
  d.elements = ReadElements(r, root);
  d.search = ReadSearchParameters(r, root);
  d.lastSearch = ReadLastSearch(r, root);
  d.meanCurve = ReadMeanCurve(r, root);
  d.collectingFile = r.Has(root, "collecting_file") ? r.Text(root, "collecting_file", "") : "";
  d.residualFile = r.Has(root, "residual_file") ? r.Text(root, "residual_file", "") : "";
  ReadCollected(r, root, d);
  d.view = ReadView(r, root);
  d.source = root;
  return d;
}

}  // namespace

bool AnalysisPeak::operator==(const AnalysisPeak& o) const {
  return period == o.period && frequency == o.frequency && statistic == o.statistic &&
         SameNumber(fittedPeriod, o.fittedPeriod) && SameNumber(periodError, o.periodError) &&
         SameNumber(fap, o.fap) && label == o.label;
}

bool AnalysisDocument::operator==(const AnalysisDocument& o) const {
  return observations == o.observations && elements == o.elements && search == o.search &&
         lastSearch == o.lastSearch && meanCurve == o.meanCurve &&
         collectingFile == o.collectingFile && residualFile == o.residualFile &&
         collectedFile == o.collectedFile && collected == o.collected && view == o.view;
}

std::variant<AnalysisDocument, AnalysisRefusal> AnalysisFromText(const std::string& text,
                                                                 const std::string& name) {
  Json root;
  try {
    root = Json::parse(text);
  } catch (const Json::parse_error& e) {
    return AnalysisRefusal{name + ": not JSON (at byte " + std::to_string(e.byte) + ")"};
  } catch (const Json::exception& e) {
    // A number beyond a double's range, for one: the library's words after
    // its "[json.exception...]" tag.
    const std::string what = e.what();
    const size_t tag = what.find("] ");
    return AnalysisRefusal{name + ": not JSON (" +
                           (tag == std::string::npos ? what : what.substr(tag + 2)) + ")"};
  }
  try {
    return ReadDocument(Reader(name), root);
  } catch (const Refused& r) {
    return AnalysisRefusal{r.reason};
  }
}

std::variant<AnalysisDocument, AnalysisRefusal> ReadAnalysisFile(const std::string& path) {
  if (auto problem = InputKindProblem(path)) return AnalysisRefusal{*problem};
  std::string text;
  try {
    text = ReadWholeFile(path);
  } catch (const FileError& e) {
    return AnalysisRefusal{e.Detail()};
  }
  return AnalysisFromText(text, path);
}

Json AnalysisJson(const AnalysisDocument& d) {
  // Every known key is written (null where absent), so the update replaces
  // each one of the source and keeps only the keys this version does not know.
  Json j = d.source.is_object() ? d.source : Json::object();
  j.update(KnownJson(d), true);
  return j;
}

void WriteAnalysisFile(AnalysisDocument d, const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::path dir = fs::absolute(path, ec).parent_path();
  const fs::path relative = fs::path(d.observations.file).lexically_relative(dir);
  d.observations.relativeFile = relative.empty() ? std::string() : relative.string();
  std::string text;
  try {
    text = AnalysisJson(d).dump(2) + "\n";
  } catch (const nlohmann::json::type_error&) {
    // JSON text is UTF-8: a name in another encoding cannot be written in it.
    throw KorvelError(path + ": a file name of the analysis is not UTF-8 text...");
  }
  WriteWholeFile(path, text);
}

std::string ObservationFileOf(const AnalysisDocument& d, const std::string& analysisPath) {
  namespace fs = std::filesystem;
  const std::string& absolute = d.observations.file;
  if (KindOf(absolute) != FileKind::Missing || d.observations.relativeFile.empty()) return absolute;
  const std::string relative =
      (fs::path(analysisPath).parent_path() / d.observations.relativeFile).string();
  return KindOf(relative) != FileKind::Missing ? relative : absolute;
}

}  // namespace korvel
