// Trials computed on several threads must leave every result bit for bit as
// one thread leaves it: best list, spectrum, histogram, spectrum file, the
// work arrays, the status -- also when a Stop ends the run at a chosen trial
// and the search is then continued.
#include "search/trial_loop.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <fstream>
#include <mutex>
#include <numbers>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "core/numeric.h"
#include "search/engine_support.h"
#include "search/lafler_kinman.h"
#include "search/phase_sort.h"
#include "search/search_fixtures.h"
#include "support/temp_dir.h"

namespace korvel {
namespace {

using testing::Begin;
using testing::MakeState;
using testing::RandomDates;
using testing::RecordingHooks;

class ThreadedHooks : public RecordingHooks {
 public:
  explicit ThreadedHooks(int threads) : threads_(threads) {}
  int Threads() override { return threads_; }

 private:
  int threads_;
};

struct Variant {
  const char* name;
  SearchKind kind;
  int mode;  // secondary period only
};

// An RR Lyrae-like star of n observations whose amplitude is modulated with
// a period of 45 days (so the secondary search has something to find).
AnalysisState Star(int n, unsigned seed) {
  const std::vector<double> t = RandomDates(n, 900, seed, 2450000);
  std::vector<double> m;
  for (double x : t) {
    const double phase = std::fmod(x / 0.5683, 1.0);
    const double amplitude = 0.4 + 0.1 * std::sin(2 * std::numbers::pi * x / 45.0);
    m.push_back(12 + amplitude * (phase < 0.15 ? -phase / 0.15 : (phase - 0.15) / 0.85) +
                0.01 * std::sin(x * 97.0));
  }
  return MakeState(t, m);
}

struct Outcome {
  AnalysisState s;
  std::string status, spectrumFile;
  int trials = 0;
};

// A fresh search; stopAt > 0 stops it in the events of that trial and then
// continues it (as Continue does, RunCode back to 'r').
Outcome Search(const AnalysisState& star, const Variant& v, int threads, int stopAt,
               const testing::TempDir& dir) {
  Outcome r{star, "", "", 0};
  AnalysisState& s = r.s;
  ThreadedHooks hooks(threads);
  hooks.fileName = dir.File("spectrum-" + std::to_string(threads) + ".dat");
  if (v.kind == SearchKind::Secondary) {
    s.Period = 0.5683;
    s.ExtrDate = 2450000.1;
    s.NBins = 4;
    s.SecPMode = v.mode;
    Begin(s, v.kind, 100, 10, 0.05);
  } else {
    s.SpecToFile = v.kind == SearchKind::Deeming;
    Begin(s, v.kind, 1, 0.2, 0.05);
  }
  hooks.onBetweenTrials = [&] {
    if (hooks.betweenTrials == stopAt) s.RunCode = 'e';
  };
  RunSearch(s, v.kind, hooks);
  if (stopAt > 0) {
    EXPECT_EQ(s.RunCode, 'e');
    s.RunCode = 'r';
    RunSearch(s, v.kind, hooks);
  }
  r.status = hooks.LastStatus();
  r.trials = hooks.betweenTrials;
  if (v.kind == SearchKind::Deeming) {
    std::ifstream in(hooks.fileName, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    r.spectrumFile = text.str();
  }
  return r;
}

void ExpectSameResults(const Outcome& a, const Outcome& b) {
  const AnalysisState& x = a.s;
  const AnalysisState& y = b.s;
  EXPECT_EQ(x.Freq, y.Freq);
  EXPECT_EQ(x.TrialParam, y.TrialParam);
  EXPECT_EQ(x.BestPeriod, y.BestPeriod);
  EXPECT_EQ(x.BestParam, y.BestParam);
  EXPECT_EQ(x.BestFreq, y.BestFreq);
  EXPECT_EQ(x.SpecHigh, y.SpecHigh);
  EXPECT_EQ(x.SpecLow, y.SpecLow);
  EXPECT_EQ(x.SpecMax, y.SpecMax);
  EXPECT_EQ(x.SpecMin, y.SpecMin);
  EXPECT_EQ(x.SpecCol, y.SpecCol);
  EXPECT_EQ(x.AmpDist.AmpHist, y.AmpDist.AmpHist);
  EXPECT_EQ(x.AmpDist.AmpScale, y.AmpDist.AmpScale);
  EXPECT_EQ(x.AmpDist.AmpTrials, y.AmpDist.AmpTrials);
  EXPECT_EQ(x.AmpDist.AmpLevel, y.AmpDist.AmpLevel);
  EXPECT_EQ(x.AmpDist.AmpCumPct, y.AmpDist.AmpCumPct);
  EXPECT_EQ(x.AmpDist.Sigma, y.AmpDist.Sigma);
  EXPECT_EQ(x.PrimaryTheta, y.PrimaryTheta);
  EXPECT_EQ(x.Phase, y.Phase);
  EXPECT_EQ(x.SortPhase, y.SortPhase);
  EXPECT_EQ(x.WMag, y.WMag);
  EXPECT_EQ(x.BinOf, y.BinOf);
  EXPECT_EQ(x.BinByte, y.BinByte);
  EXPECT_EQ(x.RunCode, y.RunCode);
  EXPECT_EQ(a.status, b.status);
  EXPECT_EQ(a.trials, b.trials);
  EXPECT_EQ(a.spectrumFile, b.spectrumFile);
}

class ParallelTrials : public ::testing::TestWithParam<Variant> {};

TEST_P(ParallelTrials, EveryThreadCountGivesTheOneThreadResults) {
  testing::TempDir dir;
  for (const AnalysisState& star : {Star(57, 1), Star(400, 2)}) {
    const Outcome one = Search(star, GetParam(), 1, 0, dir);
    ASSERT_GT(one.trials, 1000);
    ASSERT_GT(one.s.BestPeriod[1], 0);
    for (int threads : {2, 3, 7}) {
      SCOPED_TRACE(threads);
      ExpectSameResults(one, Search(star, GetParam(), threads, 0, dir));
    }
  }
}

TEST_P(ParallelTrials, StopAndContinueMatchOneThread) {
  testing::TempDir dir;
  const AnalysisState star = Star(57, 3);
  // Inside the first chunk, far into the run, and on the very first trial.
  for (int stopAt : {5, 2777, 1}) {
    SCOPED_TRACE(stopAt);
    const Outcome one = Search(star, GetParam(), 1, stopAt, dir);
    for (int threads : {2, 3, 7}) {
      SCOPED_TRACE(threads);
      ExpectSameResults(one, Search(star, GetParam(), threads, stopAt, dir));
    }
  }
}

INSTANTIATE_TEST_SUITE_P(EverySearch, ParallelTrials,
                         ::testing::Values(Variant{"LaflerKinman", SearchKind::LaflerKinman, 1},
                                           Variant{"Deeming", SearchKind::Deeming, 1},
                                           Variant{"SecondaryMode1", SearchKind::Secondary, 1},
                                           Variant{"SecondaryMode2", SearchKind::Secondary, 2}),
                         [](const auto& info) { return std::string(info.param.name); });

// One thread computes a block of trials ahead of the bookkeeping; a command
// run between trials that changes the document's step does not move the
// search off the grid it started on, and every trial is applied with the
// statistic of its own frequency.
TEST(ParallelTrials, OneThreadKeepsItsGridWhenTheDocumentsStepChanges) {
  AnalysisState s = Star(57, 5);
  Begin(s, SearchKind::LaflerKinman, 1, 0.2, 0.05);
  const double oldStep = s.FreqStep;
  ThreadedHooks hooks(1);
  std::vector<std::pair<double, double>> applied;  // (Freq, theta) of each trial
  double lastFreq = 0;
  hooks.onBetweenTrials = [&] {
    if (hooks.betweenTrials > 1) applied.emplace_back(lastFreq, s.TrialParam);
    lastFreq = s.Freq;
    if (hooks.betweenTrials == 100) s.FreqStep = 3 * oldStep;
  };
  RunSearch(s, SearchKind::LaflerKinman, hooks);
  ASSERT_GT(applied.size(), 200u);
  EXPECT_NEAR(applied[150].first - applied[149].first, oldStep, 1e-12);
  for (size_t k : {size_t{98}, size_t{99}, size_t{100}, size_t{150}, applied.size() - 1}) {
    AnalysisState fold = s;
    for (int32_t i = 1; i <= fold.NObs; ++i)
      fold.Phase[i] = Frac((fold.JD[i] - fold.JD[1]) * applied[k].first);
    SortByPhase(fold);
    EXPECT_EQ(applied[k].second, 1 / (fold.MagVar / SmoothnessSum(fold.WMag.data(), fold.NObs)))
        << "trial " << k;
  }
}

// A statistic that fails on one trial: the failure reaches the caller, the
// workers are stopped, and nothing after the failing chunk is applied.
class FailingAt : public TrialStatistic {
 public:
  explicit FailingAt(double freq) : freq_(freq) {}
  double Value(double freq) override {
    if (freq >= freq_) throw std::runtime_error("trial failed");
    return freq;
  }

 private:
  double freq_;
};

TEST(ParallelTrials, AFailingStatisticEndsTheRunWithItsError) {
  AnalysisState s = Star(57, 4);
  Begin(s, SearchKind::LaflerKinman, 1, 0.2, 0.05);
  const double failAt = s.Freq + 5000.5 * s.FreqStep;
  for (int threads : {1, 3}) {
    SearchResult run = ResultFromDocument(s, SearchKind::LaflerKinman);
    PlainSearchHooks hooks(threads);
    int applied = 0;
    EXPECT_THROW(RunTrials(
                     run, static_cast<size_t>(s.NObs), hooks, EventsAt::AfterAdvance,
                     [&] { return std::make_unique<FailingAt>(failAt); },
                     [&](double value) {
                       EXPECT_EQ(value, run.freq);
                       ++applied;
                       return true;
                     }),
                 std::runtime_error);
    // One thread applies every trial before the failing one; more threads
    // apply whole chunks only.
    if (threads == 1) {
      EXPECT_EQ(applied, 5000);
    } else {
      EXPECT_LE(applied, 5000);
    }
  }
}

// A statistic as slow as a long series' trial, that notes the threads it ran
// on and fails from failAt on.
class NotingThreads : public TrialStatistic {
 public:
  NotingThreads(std::mutex& m, std::set<std::thread::id>& threads, double failAt)
      : m_(m), threads_(threads), failAt_(failAt) {}
  double Value(double freq) override {
    if (freq >= failAt_) throw std::runtime_error("trial failed");
    double x = freq;
    for (int k = 0; k < 100; ++k) x = std::sin(x + freq);
    return x;
  }
  void Values(const double* freq, double* value, size_t count) override {
    {
      const std::lock_guard lock(m_);
      threads_.insert(std::this_thread::get_id());
    }
    for (size_t k = 0; k < count; ++k) value[k] = Value(freq[k]);
  }

 private:
  std::mutex& m_;
  std::set<std::thread::id>& threads_;
  double failAt_;
};

struct LentRun {
  std::vector<std::pair<double, double>> applied;  // (freq, statistic) of each trial
  bool completed = false;
  std::string error;
  bool lentThreadComputed = false;
};

// A one-thread run on a member's thread while the other member, having
// nothing of its own, serves from the first trial on (lend: false, a run
// without help). The bookkeeping ends the run at trial stopAt (returning
// false) or throws at throwAt.
LentRun RunLent(bool lend, int64_t stopAt, int64_t throwAt, double failAt) {
  AnalysisState s = Star(57, 6);
  Begin(s, SearchKind::LaflerKinman, 1, 0.2, 0.05);
  SearchResult run = ResultFromDocument(s, SearchKind::LaflerKinman);
  std::mutex m;
  std::set<std::thread::id> threads;
  std::atomic<bool> serving = false;
  TrialHelp help(2);
  std::thread other;
  if (lend)
    other = std::thread([&] {
      serving = true;
      help.Serve();
    });
  else
    help.Absent(1);
  LentRun r;
  {
    const TrialHelp::Member member(help);
    PlainSearchHooks hooks(1);
    try {
      // As many observations as make blocks of few trials: help can come
      // at any of them.
      RunTrials(
          run, 10000, hooks, EventsAt::AfterAdvance,
          [&] { return std::make_unique<NotingThreads>(m, threads, failAt); },
          [&](double value) {
            if (r.applied.empty())
              while (lend && !serving) std::this_thread::yield();
            r.applied.emplace_back(run.freq, value);
            const auto trial = static_cast<int64_t>(r.applied.size());
            if (trial == throwAt) throw std::runtime_error("cancelled");
            return trial != stopAt;
          });
    } catch (const std::exception& e) {
      r.error = e.what();
    }
  }
  help.Serve();
  if (other.joinable()) other.join();
  r.completed = run.completed;
  r.lentThreadComputed = threads.size() > 1;
  return r;
}

// A thread lent by a member with nothing of its own left computes trials of
// the run, which still applies every trial as one thread does; a Stop, an
// error of the bookkeeping or of the statistic ends the run as on one
// thread and lets the lent thread go.
TEST(LentThreads, ComputeTrialsOfARunWithTheOneThreadResults) {
  const LentRun alone = RunLent(false, 0, 0, INFINITY);
  ASSERT_TRUE(alone.completed);
  ASSERT_GT(alone.applied.size(), 10000u);
  const LentRun lent = RunLent(true, 0, 0, INFINITY);
  EXPECT_TRUE(lent.lentThreadComputed);
  EXPECT_TRUE(lent.completed);
  EXPECT_EQ(lent.applied, alone.applied);

  const LentRun stopped = RunLent(true, 30001, 0, INFINITY);
  EXPECT_FALSE(stopped.completed);
  ASSERT_EQ(stopped.applied.size(), 30001u);
  EXPECT_TRUE(std::equal(stopped.applied.begin(), stopped.applied.end(), alone.applied.begin()));

  const LentRun thrown = RunLent(true, 0, 20000, INFINITY);
  EXPECT_EQ(thrown.error, "cancelled");
  EXPECT_EQ(thrown.applied.size(), 20000u);

  const LentRun failed = RunLent(true, 0, 0, alone.applied[40000].first);
  EXPECT_EQ(failed.error, "trial failed");
  EXPECT_LE(failed.applied.size(), 40000u);
}

}  // namespace
}  // namespace korvel
