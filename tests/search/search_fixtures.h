// Shared by the search tests: a SearchHooks fake that records what an engine
// did, and observation sets built in code.
#pragma once

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "core/analysis_state.h"
#include "io/observation_file.h"
#include "io/param_file.h"
#include "search/document_search.h"
#include "search/phase_sort.h"
#include "search/search_hooks.h"
#include "search/trial_grid.h"

namespace korvel {

// The searches through the document, as the window runs them.
inline void SearchLK(AnalysisState& s, DocumentSearchHooks& h) {
  RunSearch(s, SearchKind::LaflerKinman, h);
}
inline void SearchDeeming(AnalysisState& s, DocumentSearchHooks& h) {
  RunSearch(s, SearchKind::Deeming, h);
}
inline void SearchSecP(AnalysisState& s, DocumentSearchHooks& h) {
  RunSearch(s, SearchKind::Secondary, h);
}
// The trials and display column of the grid the document holds.
inline double TrialCount(const AnalysisState& s) {
  return TrialCount(GridOfDocument(s), s.Freq);
}
inline int32_t SpectrumColumn(const AnalysisState& s, double f) {
  return SpectrumColumn(GridOfDocument(s), f);
}
// The document's Phase[1..NObs] sorted into SortPhase, WMag and BinOf.
inline void SortByPhase(AnalysisState& s, PhaseSortScratch& scratch) {
  SortByPhase(PhaseSortArrays{s.Phase.data(), s.Mag.data(), s.SortPhase.data(), s.WMag.data(),
                              s.BinOf.data(), s.NObs},
              scratch);
}
inline void SortByPhase(AnalysisState& s) {
  PhaseSortScratch scratch;
  SortByPhase(s, scratch);
}

}  // namespace korvel

namespace korvel::testing {

class RecordingHooks : public DocumentSearchHooks {
 public:
  int betweenTrials = 0;
  int repaints = 0;
  bool timerOn = false;
  std::vector<bool> timerCalls;  // every SetTimerEnabled argument, in order
  bool timerOnAtEveryTrial = true;
  std::vector<double> freqAtTrial;  // Freq whenever BetweenTrials ran
  std::vector<std::string> statuses, messages;
  std::string fileName = "SpFName.dat";
  std::function<void()> onBetweenTrials;
  const AnalysisState* watched = nullptr;

  void BetweenTrials() override {
    ++betweenTrials;
    if (!timerOn) timerOnAtEveryTrial = false;
    if (watched != nullptr) freqAtTrial.push_back(watched->Freq);
    if (onBetweenTrials) onBetweenTrials();
  }
  void SetTimerEnabled(bool enabled) override {
    timerOn = enabled;
    timerCalls.push_back(enabled);
  }
  void RequestRepaint() override { ++repaints; }
  void SetStatus(const std::string& text) override { statuses.push_back(text); }
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  std::string SpectrumFileName() override { return fileName; }

  std::string LastStatus() const { return statuses.empty() ? std::string() : statuses.back(); }
};

// A loaded set: the arrays of NObs + 1 elements and the load statistics.
inline AnalysisState MakeState(const std::vector<double>& jd, const std::vector<double>& mag) {
  AnalysisState s;
  SetParameterDefaults(s);
  s.NObs = static_cast<int32_t>(jd.size());
  s.JD.assign(1, 0.0);
  s.Mag.assign(1, 0.0);
  s.JD.insert(s.JD.end(), jd.begin(), jd.end());
  s.Mag.insert(s.Mag.end(), mag.begin(), mag.end());
  const size_t size = jd.size() + 1;
  s.Phase.assign(size, 0.0);
  s.SortPhase.assign(size, 0.0);
  s.WMag.assign(size, 0.0);
  s.BinOf.assign(size, 0);
  s.Marks.assign(size, 0);
  ComputeLoadStatistics(s);
  return s;
}

// Sorted random dates in [start, start + span), fixed by the seed.
inline std::vector<double> RandomDates(int n, double span, unsigned seed, double start = 0) {
  std::mt19937 gen(seed);
  std::uniform_real_distribution<double> u(0, span);
  std::vector<double> t(static_cast<size_t>(n));
  for (double& x : t) x = start + u(gen);
  std::sort(t.begin(), t.end());
  return t;
}

inline std::vector<double> Sinusoid(const std::vector<double>& t, double period, double amplitude,
                                    double mean = 10) {
  std::vector<double> m;
  for (double x : t) m.push_back(mean + amplitude * std::sin(2 * std::numbers::pi * x / period));
  return m;
}

// The dialog values, then the command's steps up to the engine call.
inline void Begin(AnalysisState& s, SearchKind kind, double pmax, double pmin, double shift) {
  s.Pmax = pmax;
  s.Pmin = pmin;
  s.FreqStep = shift;
  SetFreqAxis(s);
  StartSearch(s, kind);
}

// An amplitude distribution of classes with upper amplitudes 1, 2, 3
// holding 0, 80 and 100 per cent of five trials.
inline AnalysisState ThreeAmplitudeClasses() {
  AnalysisState s;
  AnalysisState::AmpDistribution& d = s.AmpDist;
  d.AmpTrials = 5;
  d.AmpTopBin = 2;
  d.AmpLevel[0] = 1;
  d.AmpLevel[1] = 2;
  d.AmpLevel[2] = 3;
  d.AmpCumPct[0] = 0;
  d.AmpCumPct[1] = 80;
  d.AmpCumPct[2] = 100;
  return s;
}

}  // namespace korvel::testing
