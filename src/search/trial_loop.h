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

#include <functional>
#include <memory>

#include "core/analysis_state.h"
#include "search/search_hooks.h"

namespace korvel {

// The statistic of one trial. Each thread owns one object; Value touches
// only the object's own storage, never the state.
class TrialStatistic {
 public:
  virtual ~TrialStatistic() = default;
  virtual double Value(double freq) = 0;
  // Leaves in the state the work arrays of the trial Value computed last,
  // as a search folding in the state itself would (nothing by default).
  virtual void LeaveIn(AnalysisState&) const {}
};

using StatisticMaker = std::function<std::unique_ptr<TrialStatistic>()>;

// Where a search lets events run: after advancing to its trial
// (Lafler-Kinman, secondary period) or before (Deeming).
enum class EventsAt { AfterAdvance, BeforeAdvance };

// The bookkeeping of the trial at Freq with its statistic; false ends the
// search after this trial.
using TrialBookkeeping = std::function<bool(double value)>;

// Runs the trials from Freq + FreqStep while RunCode is not 'e' and the grid
// lasts, on hooks.Threads() threads. Stops without touching the work arrays
// when a command run between trials replaced the observation set. Exceptions
// of the hooks and the bookkeeping pass through (the workers are stopped
// first).
void RunTrials(AnalysisState& s, SearchHooks& hooks, EventsAt events, const StatisticMaker& make,
               const TrialBookkeeping& apply);

}  // namespace korvel
