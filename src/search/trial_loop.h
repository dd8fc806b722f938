// The trial loop of every search. The trial frequencies are made in order by
// repeated addition of the step; the statistic of each trial depends on its
// frequency alone, so with more than one thread the statistics are computed
// ahead in chunks on worker threads (and on the calling thread while it
// would otherwise wait), while the bookkeeping of each trial -- display
// columns, best list, histogram, spectrum file -- runs on the calling thread
// strictly in trial order. Every result is therefore bit for bit the
// one-thread result, and a Stop leaves the result a one-thread run stopped
// at that trial leaves.
#pragma once

#include <cmath>
#include <cstddef>
#include <functional>
#include <memory>

#include "search/search_hooks.h"
#include "search/search_values.h"
#include "search/trial_grid.h"

namespace korvel {

// The statistic of one trial. Each thread owns one object; Value touches
// only the object's own storage.
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
};

// Makes a thread's statistic; it may be called on any thread of the run
// while the others compute, so it only reads what it shares.
using StatisticMaker = std::function<std::unique_ptr<TrialStatistic>()>;

// Threads lent to the searches of other threads, so that a pool working
// through a list of searches (the survey's stars) keeps every thread busy
// to the end. Each thread of the pool is a member: one that has no search
// of its own left calls Serve, and computes chunks of the trials of the
// searches still running on the other members (with statistics of its
// own; the bookkeeping stays on each search's thread, so results do not
// change) until every member has come to Serve. A search accepts such help
// when it runs on a thread that holds a Member: passed this way, because
// the searches are reached through layers that need not know of it.
class TrialHelp {
 public:
  explicit TrialHelp(int members);
  ~TrialHelp();
  TrialHelp(const TrialHelp&) = delete;
  TrialHelp& operator=(const TrialHelp&) = delete;

  // While it lives, searches started on this thread accept help.
  class Member {
   public:
    explicit Member(TrialHelp& help);
    ~Member();
    Member(const Member&) = delete;
    Member& operator=(const Member&) = delete;
  };

  // The calling member has nothing of its own left: helps the others'
  // searches until every member has called Serve. Each member calls it
  // once, also when its own work ended in an exception or a cancel.
  void Serve() noexcept;
  // Members that will never come (their threads could not be started).
  void Absent(int count) noexcept;

  struct Shared;

 private:
  std::unique_ptr<Shared> shared_;
};

// Where a search lets its caller in: after advancing to its trial
// (Lafler-Kinman, secondary period) or before (Deeming).
enum class EventsAt { AfterAdvance, BeforeAdvance };

// Where the trials' frequencies and statistics come from, one trial at a
// time in order: computed when reached on one thread, or ahead on several.
class TrialSource {
 public:
  virtual ~TrialSource() = default;
  // freq := the next trial frequency, exactly as AdvanceFrequency makes it,
  // and `value` its statistic; false when the grid is exhausted (freq then
  // as AdvanceFrequency leaves it).
  virtual bool Advance(double& freq, double& value) = 0;
};

// The source for a run from `freq` on over the grid, for n observations, on
// hooks.Threads() threads (and those TrialHelp lends, on a member's thread).
std::unique_ptr<TrialSource> MakeTrialSource(double freq, const TrialGrid& grid, size_t n,
                                             SearchHooks& hooks, const StatisticMaker& make);

// Keeps one trial's statistic in the result's full-resolution record (or in
// its block's extreme, beyond the whole limit); smaller: the method's best
// is the smallest value. A statistic that is not finite is kept as NaN.
void KeepInBlock(TrialValues& v, double x, bool smaller);
inline void KeepTrial(TrialValues& v, double x, bool smaller) {
  if (v.perEntry == 1) {
    v.value.push_back(std::isfinite(x) ? x : NAN);
    ++v.trials;
    return;
  }
  KeepInBlock(v, x, smaller);
}

// Runs the trials from r.freq on while the grid lasts, on hooks.Threads()
// threads; apply(value) does the bookkeeping of the trial at r.freq with its
// statistic, and false from it ends the search after that trial. Sets
// r.completed when the grid ran out. Exceptions of the hooks and the
// bookkeeping pass through (the workers are stopped first). A template, so
// that at survey sizes the bookkeeping is compiled into the loop.
template <class Bookkeeping>
void RunTrials(SearchResult& r, size_t n, SearchHooks& hooks, EventsAt events,
               const StatisticMaker& make, Bookkeeping&& apply) {
  if (hooks.StoppedBeforeStart()) return;
  const std::unique_ptr<TrialSource> source = MakeTrialSource(r.freq, r.grid, n, hooks, make);
  double value = 0;
  for (;;) {
    TrialGo go = TrialGo::Go;
    if (events == EventsAt::BeforeAdvance) {
      go = hooks.BetweenTrials(r);
      if (go == TrialGo::Abandon) return;
      if (!source->Advance(r.freq, value)) break;
    } else {
      if (!source->Advance(r.freq, value)) break;
      go = hooks.BetweenTrials(r);
      if (go == TrialGo::Abandon) return;
    }
    if (!apply(value) || go == TrialGo::Stop) return;
  }
  r.completed = true;
}

}  // namespace korvel
