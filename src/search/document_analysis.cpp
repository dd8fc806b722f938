#include "search/document_analysis.h"

#include <algorithm>
#include <filesystem>
#include <string_view>

#include "core/error.h"
#include "core/messages.h"
#include "core/text_format.h"
#include "io/file_paths.h"
#include "io/param_file.h"
#include "io/read_observations.h"
#include "io/text_reader.h"
#include "lightcurve/document_light_curve.h"
#include "search/document_search.h"

namespace korvel {

namespace {

static_assert(kAnalysisSpectrumColumns == kSpecColumns);

std::string Absolute(const std::string& path) {
  std::error_code ec;
  const std::filesystem::path p = std::filesystem::absolute(path, ec);
  return ec ? path : p.lexically_normal().string();
}

ReadOptions LoadOptionsOf(const AnalysisObservations& o) {
  ReadOptions r;
  r.column = o.column;
  r.readZeros = o.readZeros;
  r.jdLow = o.jdMin;
  r.jdHigh = o.jdMax;
  r.format = ObservationFormatOfName(o.format);
  r.band = o.band;
  r.timeColumn = o.timeColumn;
  r.magColumn = o.magColumn;
  r.errColumn = o.errColumn;
  r.timeOffset = o.timeOffset;
  r.keepFlux = o.flux;
  return r;
}

std::string Changed(const std::string& file) {
  return file +
         " has changed since the analysis was made: its observations are not the ones "
         "the analysis names...";
}

AnalysisObservations ObservationsOfState(const AnalysisState& s) {
  AnalysisObservations o;
  o.file = Absolute(s.DataFileName);
  // Column 0 reads as column 1 does.
  o.column = std::max(s.DataColumn, 1);
  o.readZeros = s.LoadedZeros;
  // The loaded range loads exactly the loaded set again.
  o.jdMin = s.DataJDmin;
  o.jdMax = s.DataJDmax;
  o.loadedCount = s.LoadedCount;
  // Plain files name no format: a file recognised as plain reads as plain.
  const ReadOptions& read = s.ReadWith;
  o.format = ObservationFormatName(s.Loaded.format);
  o.band = read.band;
  o.timeColumn = read.timeColumn;
  o.magColumn = read.magColumn;
  o.errColumn = read.errColumn;
  o.timeOffset = read.timeOffset;
  o.flux = read.keepFlux;
  o.intensities = !s.MagMode;

  AnalysisState file;
  LoadObservations(file, s.DataFileName, LoadOptionsOf(o));
  if (file.NObs != s.LoadedCount) throw KorvelError(Changed(s.DataFileName));
  bool ownMagnitudes = false;
  int32_t next = 1;  // the next place in the file's set
  for (int32_t i = 1; i <= s.NObs; ++i) {
    const int32_t place = s.LoadIndex[i];
    if (place < next || place > file.NObs || file.JD[place] != s.JD[i])
      throw KorvelError(Changed(s.DataFileName));
    for (; next < place; ++next) o.deleted.push_back({next, file.JD[next], file.Mag[next]});
    ++next;
    if (Marked(s, i)) o.marked.push_back({place, file.JD[place], file.Mag[place]});
    ownMagnitudes = ownMagnitudes || file.Mag[place] != s.Mag[i];
  }
  for (; next <= file.NObs; ++next) o.deleted.push_back({next, file.JD[next], file.Mag[next]});
  if (ownMagnitudes) o.magnitudes.assign(s.Mag.begin() + 1, s.Mag.end());
  return o;
}

AnalysisSearch SearchOfState(const AnalysisState& s) {
  const SearchMethod* m = MethodOfView(s.SearchView);
  AnalysisSearch a;
  a.method = m->name;
  a.pmin = s.Pmin;
  a.pmax = s.Pmax;
  a.frequencyStep = s.FreqStep;
  a.primaryTheta = s.PrimaryTheta;
  for (const MethodParameter& q : m->parameters) a.methodParameters[q.key] = s.*q.document;
  a.spectrumLow.assign(s.SpecLow.begin(), s.SpecLow.end());
  a.spectrumHigh.assign(s.SpecHigh.begin(), s.SpecHigh.end());
  a.spectrumMin = s.SpecMin;
  a.spectrumMax = s.SpecMax;
  for (int k = 1; k <= FilledBestPlaces(s); ++k)
    a.best.push_back({s.BestPeriod[k], s.BestFreq[k], s.BestParam[k]});
  return a;
}

AnalysisMeanCurve MeanCurveOfState(const AnalysisState& s) {
  AnalysisMeanCurve c;
  c.number = s.CurveNumber;
  c.points = std::clamp(s.MeanPoints, 0, AnalysisState::kMeanSize - 1);
  c.binLength = s.BinLength;
  c.magHigh = s.MeanMagHigh;
  c.magLow = s.MeanMagLow;
  c.state = s.WaveState == 'd' || s.WaveState == 'f' ? s.WaveState : 0;
  if (c.state)
    for (int32_t k = 1; k <= c.points; ++k)
      c.curve.push_back({s.MeanCount[k], s.MeanPhase[k], s.MeanMag[k], s.MeanPhaseErr[k],
                         s.MeanMagErr[k], s.EditedMag[k]});
  return c;
}

// ---- Restoring ----

std::optional<std::string> ApplyObservations(AnalysisState& s, const AnalysisObservations& o,
                                             const std::string& file) {
  if (s.NObs != o.loadedCount)
    return file + " gives " + std::to_string(s.NObs) + " observations, the analysis was made on " +
           std::to_string(o.loadedCount) + ": the file has changed...";
  for (const auto* refs : {&o.deleted, &o.marked})
    for (const ObservationRef& r : *refs)
      if (s.JD[r.index] != r.jd || s.Mag[r.index] != r.mag)
        return file + ": observation " + std::to_string(r.index) + " reads " +
               ShortestText(s.JD[r.index]) + " " + ShortestText(s.Mag[r.index]) +
               ", the analysis names " + ShortestText(r.jd) + " " + ShortestText(r.mag) +
               ": the file has changed...";
  rarray jd{0.0}, mag{0.0}, err;
  if (!s.Err.empty()) err.push_back(0.0);
  iarray place{0}, marks{0};
  size_t d = 0, m = 0;
  for (int32_t i = 1; i <= s.NObs; ++i) {
    if (d < o.deleted.size() && o.deleted[d].index == i) {
      ++d;
      continue;
    }
    const bool marked = m < o.marked.size() && o.marked[m].index == i;
    if (marked) ++m;
    jd.push_back(s.JD[i]);
    mag.push_back(s.Mag[i]);
    if (!s.Err.empty()) err.push_back(s.Err[i]);
    place.push_back(i);
    marks.push_back(marked ? 1 : 0);
  }
  if (!o.magnitudes.empty()) std::copy(o.magnitudes.begin(), o.magnitudes.end(), mag.begin() + 1);
  const double jdLow = s.DataJDmin, jdHigh = s.DataJDmax;
  const int32_t loaded = s.LoadedCount;
  TakeObservations(s, std::move(jd), std::move(mag), std::move(err));
  // The dates stay those of the load, as after deletions in the window.
  s.DataJDmin = jdLow;
  s.DataJDmax = jdHigh;
  s.LoadedCount = loaded;
  s.LoadIndex = std::move(place);
  s.Marks = std::move(marks);
  s.SelMade = !o.marked.empty();
  return std::nullopt;
}

std::optional<std::string> ApplyLastSearch(AnalysisState& s, const AnalysisSearch& a) {
  const SearchMethod* m = MethodNamed(a.method);
  if (!m) return "last_search.method: \"" + a.method + "\" is none of " + MethodNames();
  s.SearchView = m->view;
  s.RunCode = 'e';
  s.Pmin = a.pmin;
  s.Pmax = a.pmax;
  SetFreqAxis(s);
  s.FreqEnd = s.FreqHi;
  s.Freq = s.FreqHi;
  s.FreqStep = a.frequencyStep;
  s.PrimaryTheta = a.primaryTheta;
  // A key the file lacks was the default: older files searched with it.
  const SearchRequest defaults;
  for (const MethodParameter& q : m->parameters) {
    const auto given = a.methodParameters.find(q.key);
    s.*q.document = given != a.methodParameters.end() ? given->second : defaults.*q.request;
  }
  std::copy(a.spectrumLow.begin(), a.spectrumLow.end(), s.SpecLow.begin());
  std::copy(a.spectrumHigh.begin(), a.spectrumHigh.end(), s.SpecHigh.begin());
  s.SpecMin = s.DrawnSpecMin = a.spectrumMin;
  s.SpecMax = s.DrawnSpecMax = a.spectrumMax;
  s.SpecYScale = a.spectrumMax > a.spectrumMin ? 250 / (a.spectrumMax - a.spectrumMin) : 0;
  for (int k = 1; k <= kBestPlaces; ++k) {
    const bool filled = static_cast<size_t>(k) <= a.best.size();
    const AnalysisTrial t = filled ? a.best[static_cast<size_t>(k - 1)] : AnalysisTrial{};
    s.BestPeriod[k] = t.period;
    s.BestFreq[k] = t.frequency;
    s.BestParam[k] = filled ? t.statistic : m->emptyBest;
  }
  return std::nullopt;
}

void ApplyMeanCurves(AnalysisState& s, const AnalysisDocument& d) {
  const AnalysisMeanCurve& c = d.meanCurve;
  s.CurveNumber = c.number;
  s.MeanPoints = c.points;
  s.BinLength = c.binLength;
  s.MeanMagHigh = c.magHigh;
  s.MeanMagLow = c.magLow;
  s.WaveState = c.state;
  for (size_t k = 0; k < c.curve.size(); ++k) {
    const AnalysisMeanPoint& p = c.curve[k];
    s.MeanCount[k + 1] = p.count;
    s.MeanPhase[k + 1] = p.phase;
    s.MeanMag[k + 1] = p.mag;
    s.MeanPhaseErr[k + 1] = p.phaseError;
    s.MeanMagErr[k + 1] = p.magError;
    s.EditedMag[k + 1] = p.edited;
  }
  s.CollectFileName = d.collectingFile;
  if (d.collectedFile) {
    std::vector<CollectedCurve> curves;
    for (const AnalysisCollectedCurve& k : d.collected)
      curves.push_back({{k.period, k.epoch}, k.phase, k.mag});
    StoreCollectedCurves(s, curves);
    s.MLCFileName = *d.collectedFile;
  }
}

void ApplyView(AnalysisState& s, const AnalysisView& v) {
  s.View = v.view;
  s.DataReady = v.ready;
  s.JDLow = v.jdLow;
  s.JDHigh = v.jdHigh;
  s.MagLow = v.magLow;
  s.MagHigh = v.magHigh;
  s.PhMin = v.phMin;
  s.PhMax = v.phMax;
  s.FullRange = v.fullRange;
  s.MirrorOn = v.mirror;
  s.MirrorJD = v.mirrorJD;
}

// The time view, the secondary bins, the mean curve, the help page and each
// search's spectrum: what a document draws again.
bool DrawableView(char v) {
  return (v != 0 && std::string_view("tnmh").find(v) != std::string_view::npos) ||
         MethodOfView(v) != nullptr;
}

std::string MethodViews() {
  std::string letters;
  for (const SearchMethod& m : SearchMethods())
    letters += std::string(letters.empty() ? "" : ", ") + m.view;
  return letters;
}

// What the view needs that the document lacks.
std::optional<std::string> ViewProblem(const AnalysisDocument& d) {
  const AnalysisView& v = d.view;
  if (!DrawableView(v.view))
    return std::string("view: \"") + v.view + "\" is none of the views t, n, m, h and " +
           MethodViews();
  const SearchMethod* shown = MethodOfView(v.view);
  if (v.ready == 'n' && (!d.lastSearch || !shown || d.lastSearch->method != shown->name))
    return "view: a spectrum is shown, but the analysis holds no search of that view";
  if (v.view == 'm' && d.meanCurve.curve.empty())
    return "view: the mean curve is shown, but the analysis holds none";
  return std::nullopt;
}

}  // namespace

std::optional<std::string> AnalysisSaveProblem(const AnalysisState& s) {
  if (s.RunCode == 'r') return std::string(kSearchRunning);
  if (s.DataFileName.empty() || s.NObs <= 0 || s.LoadedCount <= 0 ||
      s.LoadIndex.size() != static_cast<size_t>(s.NObs) + 1 || s.JD.size() != s.LoadIndex.size() ||
      s.Mag.size() != s.LoadIndex.size())
    return std::string("No observations loaded: there is no analysis to save...");
  return std::nullopt;
}

AnalysisDocument AnalysisOfState(const AnalysisState& s) {
  if (auto problem = AnalysisSaveProblem(s)) throw KorvelError(*problem);
  AnalysisDocument d;
  d.observations = ObservationsOfState(s);
  d.elements = {s.Period, s.Epoch, s.P2, s.P2Epoch, s.ExtrDate, s.NBins, s.Px2State == 'y'};
  if (s.RunCode == 'e' && MethodOfView(s.SearchView)) d.lastSearch = SearchOfState(s);
  d.search.windowSpectrum = s.WindowSpec;
  d.meanCurve = MeanCurveOfState(s);
  d.collectingFile = s.CollectFileName;
  if (s.MLCLoaded) {
    d.collectedFile = s.MLCFileName;
    for (int32_t k = 1; k <= s.MLCCurves; ++k) {
      const auto n = static_cast<size_t>(s.MLCCount[k]) + 1;
      d.collected.push_back({s.MLCPeriod[k],
                             s.MLCEpoch[k],
                             {s.MLCPhase[k].begin() + 1, s.MLCPhase[k].begin() + n},
                             {s.MLCMag[k].begin() + 1, s.MLCMag[k].begin() + n}});
    }
  }
  // A view the document cannot draw again is saved as the time view.
  d.view.view = DrawableView(s.View) ? s.View : 't';
  d.view.ready = 'y';
  if (s.DataReady == 'n') {
    if (d.lastSearch && d.view.view == s.SearchView)
      d.view.ready = 'n';
    else
      d.view.view = 't';
  }
  if (d.view.view == 'm' && d.meanCurve.curve.empty()) d.view.view = 't';
  d.view.jdLow = s.JDLow;
  d.view.jdHigh = s.JDHigh;
  d.view.magLow = s.MagLow;
  d.view.magHigh = s.MagHigh;
  d.view.phMin = s.PhMin;
  d.view.phMax = s.PhMax;
  d.view.fullRange = s.FullRange;
  d.view.mirror = s.MirrorOn;
  d.view.mirrorJD = s.MirrorJD;
  return d;
}

RestoreOutcome RestoreAnalysis(AnalysisState& s, const AnalysisDocument& d,
                               const std::string& observationFile) {
  RestoreOutcome out;
  if (auto problem = ViewProblem(d)) {
    out.refusal = *problem;
    return out;
  }
  if (!FileExists(observationFile)) {
    out.refusal = observationFile + ": the observation file does not exist...";
    return out;
  }
  SetParameterDefaults(s);
  s.DataColumn = d.observations.column;
  try {
    out.load = LoadObservationsReporting(s, observationFile, LoadOptionsOf(d.observations));
  } catch (const FileError& e) {
    out.refusal = e.Detail();
    return out;
  } catch (const FormatError& e) {
    out.refusal = e.what();  // names the file and the line
    return out;
  } catch (const KorvelError& e) {
    out.refusal = observationFile + ": " + e.what();
    return out;
  }
  if ((out.refusal = ApplyObservations(s, d.observations, observationFile))) return out;
  const AnalysisElements& e = d.elements;
  s.Period = e.period;
  s.Epoch = e.epoch;
  s.P2 = e.secondaryPeriod;
  s.P2Epoch = e.secondaryEpoch;
  s.ExtrDate = e.extremumDate;
  s.NBins = e.bins;
  s.Px2State = e.periodDoubled ? 'y' : 'n';
  s.WindowSpec = d.search.windowSpectrum;
  if (d.lastSearch && (out.refusal = ApplyLastSearch(s, *d.lastSearch))) return out;
  ApplyMeanCurves(s, d);
  ApplyView(s, d.view);
  if (d.observations.intensities) ToggleMagMode(s);
  if (s.Period > 0) ComputePhases(s);
  return out;
}

}  // namespace korvel
