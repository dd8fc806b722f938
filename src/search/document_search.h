// The window's document and the search pipeline: the one adapter that copies
// the analysis state into a request and observations, runs the pipeline,
// and copies the result back, with the window's side of a running search
// (its events, timer, status line and messages). Everything else in search/
// works on values.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/analysis_state.h"
#include "core/parameter_fields.h"
#include "search/reshuffle.h"
#include "search/search_methods.h"
#include "search/search_parameters.h"
#include "search/search_pipeline.h"

namespace korvel {

inline constexpr const char* kSearchRunning = "A search is running: press Stop first...";

// What a running search needs from the window. The document is brought up to
// date with the search before each pass through the events.
class DocumentSearchHooks {
 public:
  virtual ~DocumentSearchHooks() = default;
  // Whether a pass through the events is due now (the window passes at most
  // every 15 ms, so that event handling does not dominate small trials).
  virtual bool EventsDue() { return true; }
  // Lets pending events run; Stop arrives here by setting RunCode to 'e'.
  virtual void BetweenTrials() = 0;
  // The one-second timer that redraws the growing spectrum: on before the
  // first trial, off after the last.
  virtual void SetTimerEnabled(bool enabled) = 0;
  virtual void RequestRepaint() = 0;
  virtual void SetStatus(const std::string& text) = 0;
  virtual void ShowMessage(const std::string& text) = 0;
  // The text of the spectrum-file edit, read when a Deeming run starts.
  virtual std::string SpectrumFileName() = 0;
  virtual int Threads() { return 1; }
  // Called while the calling thread waits for worker threads.
  virtual void WhileWaiting() {}
};

// Hooks that do nothing: callers that read the results from the document
// afterwards.
class SilentSearchHooks : public DocumentSearchHooks {
 public:
  explicit SilentSearchHooks(int threads = 1) : threads_(threads) {}
  void BetweenTrials() override {}
  void SetTimerEnabled(bool) override {}
  void RequestRepaint() override {}
  void SetStatus(const std::string&) override {}
  void ShowMessage(const std::string&) override {}
  std::string SpectrumFileName() override { return kDefaultSpectrumFile; }
  int Threads() override { return threads_; }

 private:
  int threads_;
};

// The view letter of each search: 'l', 'd', 's'.
inline char ViewLetter(SearchKind kind) {
  return MethodOf(kind).view;
}

// ---- From the document into values ----

// The loaded observations (the document's arrays, from element 1 on) with
// their mean and variance. The spans point into the document.
Observations ObservationsOf(const AnalysisState& s);
// The request the document's fields make: periods, the phase shift (which
// FreqStep holds from the dialog until the search starts), the secondary
// period's elements, the search's own parameters, the window spectrum and,
// with Spectrum to file, its name.
SearchRequest RequestFromDocument(const AnalysisState& s, SearchKind kind, int threads = 1);
// The grid and the result a stopped or restored search left in the document.
TrialGrid GridOfDocument(const AnalysisState& s);
SearchResult ResultFromDocument(const AnalysisState& s, SearchKind kind);

// ---- From values into the document ----

void GridIntoDocument(const TrialGrid& g, AnalysisState& s);
void ResultIntoDocument(const SearchResult& r, AnalysisState& s);
// From Pmin and Pmax: FreqLo, FreqHi, the plot axis ends, FreqScale, AxisStep
// and AxisFirst.
void SetFreqAxis(AnalysisState& s);

// ---- The window's search commands ----

// The dialog's fields stored in its order, each at once, and checked (periods
// and phase shift positive, Pmax above Pmin, more than one bin); the first
// refused gives its message and field. The search's own parameters, where
// given, follow: stored together once the method's check accepts them, a
// refusal naming the field. When all are accepted the frequency axis is set
// from them.
std::optional<FieldRefusal> ApplySearchParameters(AnalysisState& s, SearchKind kind,
                                                  const SearchParameters& p);

// What a fresh search and a resumed one both refuse: a search already running
// (a second one would run nested inside the first), no observations or
// arrays that do not match their number, and the data problems of the
// pipeline.
std::optional<std::string> DataProblem(const AnalysisState& s, SearchKind kind);
// Run after the dialog has stored the parameters and before anything else
// changes: the refusal of the pipeline, or nothing.
std::optional<std::string> CheckSearchable(const AnalysisState& s, SearchKind kind);
// The command's steps after a confirmed dialog, except hiding the
// Prewhitening button: RunCode 'r', View, DataReady 'n', spectrum and best
// list cleared, and the trial grid.
void StartSearch(AnalysisState& s, SearchKind kind);
// What a run leaves besides the document's fields: the whole result (the
// statistic of every trial, which the document does not hold), the
// observations it ran on and how far it got on its grid.
struct DocumentRun {
  SearchResult result;
  // False when the run was refused or the observation set was replaced
  // meanwhile: then the result belongs to no observations in the document.
  bool searched = false;
  // Counted over the whole grid, trials made before a resumed run included.
  double trialsDone = 0, trialsInGrid = 0;
  // The run made every trial from the grid's first: its statistic covers all
  // that was searched (not so for a run resumed from a condition file).
  bool fromGridStart = false;
  std::vector<double> jd, mag;
  double magMean = 0, magVar = 0;

  // The observations searched (spans into jd and mag).
  Observations Searched() const;
};

// Runs the search from the document's Freq on its grid (a fresh one, a
// stopped one or one read back from a condition file) and copies the result
// back. Ends with the timer off, RunCode 'e', a repaint and the status
// ("Done...", or Deeming's summary). Data that cannot be searched end the run
// at once with the reason on the status line.
DocumentRun RunSearch(AnalysisState& s, SearchKind kind, DocumentSearchHooks& hooks);

// ---- The document's results ----

BestList BestListOf(const AnalysisState& s);
int FilledBestPlaces(const AnalysisState& s);
std::string GridCellText(const AnalysisState& s, int row, int column);

// Mag[1..NObs] dealt anew (ShuffledMagnitudes); ShuffleCount counted. Returns
// "Reshuffled ..." or, with no observations, kNothingToReshuffle.
std::string ReshuffleMags(AnalysisState& s, const UniformSource& uniform);
std::string ReshuffleMags(AnalysisState& s, uint64_t seed);

}  // namespace korvel
