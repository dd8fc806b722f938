#include "search/document_search.h"

#include <algorithm>
#include <exception>
#include <vector>

#include "core/messages.h"
#include "search/engine_support.h"
#include "search/significance.h"
#include "search/trial_grid.h"
#include "search/trial_record.h"

namespace korvel {

namespace {

// No observations, or arrays shorter than their number says.
std::optional<std::string> DocumentProblem(const AnalysisState& s) {
  if (s.NObs <= 0) return kNoObservations;
  const size_t need = static_cast<size_t>(s.NObs) + 1;
  if (s.JD.size() < need || s.Mag.size() < need) return kArraysMismatch;
  return std::nullopt;
}

// A search already running, or no observations to search.
std::optional<std::string> RunningOrEmpty(const AnalysisState& s) {
  if (s.RunCode == 'r') return kSearchRunning;
  return DocumentProblem(s);
}

// True when a command run between trials replaced or shrank the observation
// set, which the search can then no longer use.
bool ObservationSetChanged(const AnalysisState& s, int32_t n) {
  const size_t need = static_cast<size_t>(n) + 1;
  return s.NObs != n || s.JD.size() < need || s.Mag.size() < need;
}

void RefuseRun(AnalysisState& s, DocumentSearchHooks& hooks, const std::string& reason) {
  s.RunCode = 'e';
  hooks.SetStatus(reason);
  hooks.RequestRepaint();
}

// What the window sees of a running search: before each pass through its
// events the document gets the result so far; Stop (RunCode 'e') ends the
// search after the trial at hand, a replaced observation set at once.
class DocumentTrialHooks : public SearchHooks {
 public:
  DocumentTrialHooks(AnalysisState& s, DocumentSearchHooks& window, const SearchResult& r)
      : s_(s), window_(window), r_(r), n_(s.NObs) {}

  TrialGo BetweenTrials(const SearchResult& r) override {
    if (window_.EventsDue()) {
      ResultIntoDocument(r, s_);
      window_.BetweenTrials();
    }
    return Verdict();
  }
  void WhileWaiting() override {
    if (!window_.EventsDue()) return;
    ResultIntoDocument(r_, s_);
    window_.WhileWaiting();
  }
  int Threads() override { return window_.Threads(); }
  bool StoppedBeforeStart() override { return s_.RunCode == 'e'; }
  bool Abandoned() const { return abandoned_; }

 private:
  TrialGo Verdict() {
    if (ObservationSetChanged(s_, n_)) {
      abandoned_ = true;
      return TrialGo::Abandon;
    }
    return s_.RunCode == 'e' ? TrialGo::Stop : TrialGo::Go;
  }

  AnalysisState& s_;
  DocumentSearchHooks& window_;
  const SearchResult& r_;
  int32_t n_;
  bool abandoned_ = false;
};

// The end of every run, however it ended: the document gets the result
// (only the amplitude distribution, when the observation set was replaced
// meanwhile), the timer goes off, and the status line says how it ended.
void FinishRun(AnalysisState& s, DocumentSearchHooks& hooks, const SearchResult& r,
               bool abandoned) {
  if (!abandoned)
    ResultIntoDocument(r, s);
  else if (r.amplitudes)
    s.AmpDist = *r.amplitudes;
  hooks.SetTimerEnabled(false);
  s.RunCode = 'e';
  s.Resumed = false;
  if (r.notice) hooks.ShowMessage(*r.notice);
  hooks.SetStatus(r.amplitudes ? DeemingSummary(*r.amplitudes) : kDoneStatus);
  hooks.RequestRepaint();
}

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

// The kind's own parameters from the dialog. They reach the document only
// when all convert and the table row's check accepts them with the loaded
// observations, so that a refused value never replaces the last one used
// (which F5 and the next dialog take). The refusal names the first field
// that, taken with the ones before it and the defaults after it, makes the
// check refuse: the row's check stays the one statement of the rules.
std::optional<FieldRefusal> ApplyOwnParameters(AnalysisState& s, SearchKind kind,
                                               const SearchParameters& p) {
  const SearchMethod& m = MethodOf(kind);
  const auto own = m.parameters;
  if (p.own.empty()) return std::nullopt;
  SearchRequest given = RequestFromDocument(s, kind);
  for (size_t k = 0; k < own.size(); ++k) {
    const int field = kFirstOwnField + static_cast<int>(k);
    if (k >= p.own.size() || !p.own[k])
      return FieldRefusal{std::string(own[k].caption) + ": a whole number is needed...", field};
    given.*own[k].request = *p.own[k];
  }
  const Observations o = ObservationsOf(s);
  // Without observations the search refuses for that reason afterwards.
  if (m.extraCheck && o.size() > 0 && m.extraCheck(given, o)) {
    const SearchRequest defaults;
    SearchRequest probe = given;
    for (const MethodParameter& q : own) probe.*q.request = defaults.*q.request;
    for (size_t k = 0; k < own.size(); ++k) {
      probe.*own[k].request = given.*own[k].request;
      if (const auto refusal = m.extraCheck(probe, o))
        return FieldRefusal{std::string(own[k].caption) + ": " + *refusal,
                            kFirstOwnField + static_cast<int>(k)};
    }
  }
  for (const MethodParameter& q : own) s.*q.document = given.*q.request;
  return std::nullopt;
}

}  // namespace

Observations ObservationsOf(const AnalysisState& s) {
  Observations o;
  if (DocumentProblem(s)) return o;
  const auto n = static_cast<size_t>(s.NObs);
  o.jd = std::span<const double>(s.JD).subspan(1, n);
  o.mag = std::span<const double>(s.Mag).subspan(1, n);
  if (s.Err.size() == s.Mag.size()) o.err = std::span<const double>(s.Err).subspan(1, n);
  o.band = s.Loaded.band;
  o.magMean = s.MagMean;
  o.magVar = s.MagVar;
  return o;
}

SearchRequest RequestFromDocument(const AnalysisState& s, SearchKind kind, int threads) {
  SearchRequest r;
  r.method = kind;
  r.pmin = s.Pmin;
  r.pmax = s.Pmax;
  r.phaseShift = s.FreqStep;
  r.secondary = {s.Period, s.P2Epoch, s.ExtrDate, s.NBins, s.SecPMode == 1 ? 1 : 2};
  for (const MethodParameter& q : MethodOf(kind).parameters) r.*q.request = s.*q.document;
  if (MethodOf(kind).deeming) {
    r.windowSpectrum = s.WindowSpec;
    if (s.SpecToFile) r.spectrumFile = s.SpecFileName;
  }
  r.threads = threads;
  return r;
}

TrialGrid GridOfDocument(const AnalysisState& s) {
  return {s.FreqLo, s.FreqEnd, s.FreqStep, s.Freq, s.FreqScale};
}

SearchResult ResultFromDocument(const AnalysisState& s, SearchKind kind) {
  SearchResult r;
  r.method = kind;
  r.grid = GridOfDocument(s);
  r.freq = s.Freq;
  r.lastValue = s.TrialParam;
  r.best = BestListOf(s);
  r.display.low = s.SpecLow;
  r.display.high = s.SpecHigh;
  r.display.min = s.SpecMin;
  r.display.max = s.SpecMax;
  r.display.last = s.SpecCol;
  r.primaryTheta = s.PrimaryTheta;
  return r;
}

void GridIntoDocument(const TrialGrid& g, AnalysisState& s) {
  s.FreqEnd = g.freqEnd;
  s.FreqHi = g.freqEnd;
  s.FreqLo = g.freqLo;
  s.FreqScale = g.scale;
  s.FreqStep = g.step;
  s.Freq = g.start;
}

void ResultIntoDocument(const SearchResult& r, AnalysisState& s) {
  s.Freq = r.freq;
  s.TrialParam = r.lastValue;
  for (int k = 1; k <= kBestPlaces; ++k) {
    const BestTrial& t = r.best[static_cast<size_t>(k - 1)];
    s.BestPeriod[k] = t.period;
    s.BestParam[k] = t.value;
    s.BestFreq[k] = t.freq;
  }
  s.SpecLow = r.display.low;
  s.SpecHigh = r.display.high;
  s.SpecMin = r.display.min;
  s.SpecMax = r.display.max;
  s.SpecCol = r.display.last;
  if (r.amplitudes) s.AmpDist = *r.amplitudes;
  if (MethodOf(r.method).secondary) s.PrimaryTheta = r.primaryTheta;
}

void SetFreqAxis(AnalysisState& s) {
  const FrequencyAxis a = AxisOf(s.Pmin, s.Pmax);
  s.FreqHi = s.AxisFreqHi = a.hi;
  s.FreqLo = s.AxisFreqLo = a.lo;
  s.FreqScale = a.scale;
  s.AxisStep = a.step;
  s.AxisFirst = a.first;
}

std::optional<FieldRefusal> ApplySearchParameters(AnalysisState& s, SearchKind kind,
                                                  const SearchParameters& p) {
  FieldRules f;
  const bool ok = MethodOf(kind).secondary ? ApplySecondary(s, p, f) : ApplyInitial(s, p, f);
  if (!ok) return f.refusal();
  if (auto refusal = ApplyOwnParameters(s, kind, p)) return refusal;
  SetFreqAxis(s);
  return std::nullopt;
}

std::optional<std::string> DataProblem(const AnalysisState& s, SearchKind kind) {
  if (auto problem = RunningOrEmpty(s)) return problem;
  return DataProblem(RequestFromDocument(s, kind), ObservationsOf(s));
}

std::optional<std::string> CheckSearchable(const AnalysisState& s, SearchKind kind) {
  if (auto problem = RunningOrEmpty(s)) return problem;
  const auto prepared = PrepareSearch(RequestFromDocument(s, kind), ObservationsOf(s));
  if (const Refusal* refusal = std::get_if<Refusal>(&prepared)) return refusal->text;
  return std::nullopt;
}

void StartSearch(AnalysisState& s, SearchKind kind) {
  const SearchMethod& m = MethodOf(kind);
  s.RunCode = 'r';
  s.View = m.view;
  s.DataReady = 'n';
  const SearchRequest r = RequestFromDocument(s, kind);
  const Observations o = ObservationsOf(s);
  PreparedSearch p{r, {}, 0};
  if (o.size() > 0) p.grid = GridOf(r.pmin, r.pmax, r.phaseShift, o.jd.back() - o.jd.front());
  ResultIntoDocument(FreshResult(p), s);
  s.DrawnSpecMax = s.DrawnSpecMin = 0;
  GridIntoDocument(p.grid, s);
}

Observations DocumentRun::Searched() const {
  Observations o;
  o.jd = jd;
  o.mag = mag;
  o.magMean = magMean;
  o.magVar = magVar;
  return o;
}

DocumentRun RunSearch(AnalysisState& s, SearchKind kind, DocumentSearchHooks& hooks) {
  DocumentRun run;
  const SearchMethod& m = MethodOf(kind);
  s.SearchView = m.view;
  if (m.deeming) s.SpecFileName = hooks.SpectrumFileName();
  if (auto problem = DocumentProblem(s)) {
    RefuseRun(s, hooks, *problem);
    return run;
  }
  // The search reads copies: a command run between trials may replace the set.
  const Observations loaded = ObservationsOf(s);
  run.jd.assign(loaded.jd.begin(), loaded.jd.end());
  run.mag.assign(loaded.mag.begin(), loaded.mag.end());
  run.magMean = loaded.magMean;
  run.magVar = loaded.magVar;
  const Observations o = run.Searched();
  const TrialGrid grid = GridOfDocument(s);
  const auto prepared =
      PrepareContinuation(RequestFromDocument(s, kind, hooks.Threads()), o, grid, s.Freq);
  if (const Refusal* refusal = std::get_if<Refusal>(&prepared)) {
    RefuseRun(s, hooks, refusal->text);
    return run;
  }
  const PreparedSearch& p = std::get<PreparedSearch>(prepared);

  SearchResult& r = run.result;
  r = ResultFromDocument(s, kind);
  DocumentTrialHooks trialHooks(s, hooks, r);
  hooks.SetTimerEnabled(true);
  try {
    ContinueSearch(p, o, trialHooks, r);
  } catch (...) {
    FinishRun(s, hooks, r, trialHooks.Abandoned());
    throw;
  }
  FinishRun(s, hooks, r, trialHooks.Abandoned());
  run.searched = !trialHooks.Abandoned();
  run.trialsInGrid = TrialCount(grid, grid.freqLo - grid.step);
  run.fromGridStart = p.trials == run.trialsInGrid;
  run.trialsDone = run.trialsInGrid - p.trials + static_cast<double>(r.statistic.trials);
  return run;
}

BestList BestListOf(const AnalysisState& s) {
  BestList b;
  for (int k = 1; k <= kBestPlaces; ++k)
    b[static_cast<size_t>(k - 1)] = {s.BestPeriod[k], s.BestParam[k], s.BestFreq[k]};
  return b;
}

int FilledBestPlaces(const AnalysisState& s) {
  return FilledPlaces(BestListOf(s));
}

std::string GridCellText(const AnalysisState& s, int row, int column) {
  return BestCellText(BestListOf(s), row, column);
}

std::string ReshuffleMags(AnalysisState& s, const UniformSource& uniform) {
  if (DocumentProblem(s)) return kNothingToReshuffle;
  const std::vector<double> dealt = ShuffledMagnitudes(ObservationsOf(s).mag, uniform);
  std::copy(dealt.begin(), dealt.end(), s.Mag.begin() + 1);
  ++s.ShuffleCount;
  return ShuffleMessage(s.ShuffleCount);
}

std::string ReshuffleMags(AnalysisState& s, uint64_t seed) {
  return ReshuffleMags(s, SeededUniform(seed));
}

}  // namespace korvel
