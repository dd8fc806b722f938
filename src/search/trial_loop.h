// The trial loop of every search. The trial frequencies are made in order by
// repeated addition of the step; the statistic of each trial depends on its
// frequency alone, so with more than one thread the statistics are computed
// ahead in chunks on worker threads (and on the calling thread while it
// would otherwise wait), while the bookkeeping of each trial -- spectrum,
// best list, histogram, spectrum file -- runs on the calling thread strictly
// in trial order. Every result is therefore bit for bit the one-thread
// result, and a Stop leaves the state a one-thread run stopped at that trial
// leaves.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>

#include "core/analysis_state.h"
#include "search/engine_support.h"
#include "search/search_hooks.h"

namespace korvel {

// The statistic of one trial. Each thread owns one object; Value touches
// only the object's own storage, never the state.
class TrialStatistic {
 public:
  virtual ~TrialStatistic() = default;
  virtual double Value(double freq) = 0;
  // The statistics of the trials freq[0 .. count - 1], ascending and in grid
  // order, bit for bit as Value gives them. At survey sizes most of a trial
  // is overhead, so a statistic may work on several trials side by side or
  // start from what the trial before left.
  virtual void Values(const double* freq, double* value, size_t count) {
    for (size_t k = 0; k < count; ++k) value[k] = Value(freq[k]);
  }
  // Leaves in the state the work arrays of the trial Value computed last,
  // as a search folding in the state itself would (nothing by default).
  virtual void LeaveIn(AnalysisState&) const {}
};

using StatisticMaker = std::function<std::unique_ptr<TrialStatistic>()>;

// Where a search lets events run: after advancing to its trial
// (Lafler-Kinman, secondary period) or before (Deeming).
enum class EventsAt { AfterAdvance, BeforeAdvance };

// Where the trials' frequencies and statistics come from, one trial at a
// time in order: computed when reached on one thread, or ahead on several.
class TrialSource {
 public:
  virtual ~TrialSource() = default;
  // Freq := the next trial frequency, exactly as AdvanceFrequency makes it,
  // and `value` its statistic; false when the grid is exhausted (Freq then
  // as AdvanceFrequency leaves it).
  virtual bool Advance(AnalysisState& s, double& value) = 0;
  // The work arrays of the last trial advanced to, into the state.
  virtual void LeaveIn(AnalysisState& s) = 0;
};

// The source for a run from Freq on hooks.Threads() threads.
std::unique_ptr<TrialSource> MakeTrialSource(const AnalysisState& s, SearchHooks& hooks,
                                             const StatisticMaker& make);

// Runs the trials from Freq + FreqStep while RunCode is not 'e' and the grid
// lasts, on hooks.Threads() threads; apply(value) does the bookkeeping of the
// trial at Freq with its statistic, and false from it ends the search after
// that trial. Stops without touching the work arrays when a command run
// between trials replaced the observation set. Exceptions of the hooks and
// the bookkeeping pass through (the workers are stopped first). A template,
// so that at survey sizes the bookkeeping is compiled into the loop.
template <class Bookkeeping>
void RunTrials(AnalysisState& s, SearchHooks& hooks, EventsAt events, const StatisticMaker& make,
               Bookkeeping&& apply) {
  const int32_t n = s.NObs;
  const std::unique_ptr<TrialSource> source = MakeTrialSource(s, hooks, make);
  bool made = false;
  double value = 0;
  while (s.RunCode != 'e') {
    if (events == EventsAt::BeforeAdvance) {
      hooks.BetweenTrials();
      if (ObservationSetChanged(s, n)) return;
      if (!source->Advance(s, value)) break;
    } else {
      if (!source->Advance(s, value)) break;
      hooks.BetweenTrials();
      if (ObservationSetChanged(s, n)) return;
    }
    made = true;
    if (!apply(value)) break;
  }
  if (made) source->LeaveIn(s);
}

}  // namespace korvel
