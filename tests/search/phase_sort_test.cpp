#include "search/phase_sort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>
#include <type_traits>

#include "search/trial_kernels.h"
#include "search_fixtures.h"

namespace korvel {
namespace {

AnalysisState WithPhases(const std::vector<double>& phases) {
  std::vector<double> mags(phases.size());
  std::iota(mags.begin(), mags.end(), 1.0);  // magnitude i marks observation i
  std::vector<double> dates(phases.size(), 0.0);
  AnalysisState s = testing::MakeState(dates, mags);
  for (size_t i = 0; i < phases.size(); ++i) s.Phase[i + 1] = phases[i];
  return s;
}

// What any stable sort by phase gives: observation numbers in order.
std::vector<double> StableOrder(const std::vector<double>& phases) {
  std::vector<double> order(phases.size());
  std::iota(order.begin(), order.end(), 1.0);
  std::stable_sort(order.begin(), order.end(), [&](double a, double b) {
    return phases[static_cast<size_t>(a) - 1] < phases[static_cast<size_t>(b) - 1];
  });
  return order;
}

TEST(SortByPhase, EqualPhasesKeepObservationOrder) {
  AnalysisState s = WithPhases({0.5, 0.2, 0.5, 0.2, 0.9, 0.5});
  SortByPhase(s);
  EXPECT_EQ(std::vector<double>(s.WMag.begin() + 1, s.WMag.end()),
            (std::vector<double>{2, 4, 1, 3, 6, 5}));
  EXPECT_EQ(std::vector<double>(s.SortPhase.begin() + 1, s.SortPhase.end()),
            (std::vector<double>{0.2, 0.2, 0.5, 0.5, 0.5, 0.9}));
}

TEST(SortByPhase, LastBucketHoldsTheTopPhasesAndPhaseOne) {
  // N = 4, 8 buckets: the last one starts at 0.875; 1.0 (the phase of a
  // negative whole number) also belongs there.
  AnalysisState s = WithPhases({0.99, 0.1, 1.0, 0.9});
  SortByPhase(s);
  EXPECT_EQ(std::vector<double>(s.SortPhase.begin() + 1, s.SortPhase.end()),
            (std::vector<double>{0.1, 0.9, 0.99, 1.0}));
  EXPECT_EQ(std::vector<double>(s.WMag.begin() + 1, s.WMag.end()),
            (std::vector<double>{2, 4, 1, 3}));
  EXPECT_EQ(s.BinOf[1], 7);
  EXPECT_EQ(s.BinOf[3], 7);
  EXPECT_EQ(s.BinOf[4], 7);
  EXPECT_EQ(s.BinOf[2], 0);
}

TEST(SortByPhase, MatchesAStableSortOnRandomPhasesWithTies) {
  std::mt19937 gen(7);
  for (int n : {1, 2, 3, 10, 97, 1000}) {
    std::uniform_int_distribution<int> coarse(0, n / 3 + 1);  // many ties
    std::uniform_real_distribution<double> fine(0, 1);
    std::vector<double> phases(static_cast<size_t>(n));
    for (size_t i = 0; i < phases.size(); ++i)
      phases[i] = i % 2 ? fine(gen) : coarse(gen) / (n / 3 + 2.0);
    AnalysisState s = WithPhases(phases);
    PhaseSortScratch scratch;
    SortByPhase(s, scratch);
    EXPECT_EQ(std::vector<double>(s.WMag.begin() + 1, s.WMag.end()), StableOrder(phases))
        << "n = " << n;
    EXPECT_TRUE(std::is_sorted(s.SortPhase.begin() + 1, s.SortPhase.end()));
    // The scratch is reused from trial to trial; a second sort gives the same.
    SortByPhase(s, scratch);
    EXPECT_EQ(std::vector<double>(s.WMag.begin() + 1, s.WMag.end()), StableOrder(phases));
  }
}

TEST(SortByPhase, LeavesTheExtractionMarksAlone) {
  AnalysisState s = WithPhases({0.3, 0.1, 0.2});
  s.Marks = {0, 1, 0, 1};
  SortByPhase(s);
  EXPECT_EQ(s.Marks, (iarray{0, 1, 0, 1}));
}

struct OrderCase {
  int n;
  double shift;
  bool repeats, before, carried;
  // Whole-day dates on trials 1/64 apart: at every whole and half
  // frequency the phases tie in groups that arrive in the order the trial
  // before left, not the observations'.
  bool wholeDays = false;
  // The secondary period's key: (frac(t f + 0.5) + bin) / 4 over four bins.
  bool binned = false;
};

// Every trial of a carried order gives the distribution sort's order, bit
// for bit, and its sum of squared steps; carried: how often the running
// order sorted afresh, where it counts.
template <class Order>
void ExpectSortPhasesOrder(const OrderCase& c) {
  SCOPED_TRACE(::testing::Message() << "n " << c.n << " shift " << c.shift);
  std::vector<double> t = testing::RandomDates(c.n, 2900, static_cast<unsigned>(c.n));
  if (c.wholeDays)
    for (double& x : t) x = std::floor(x);
  if (c.repeats)
    for (size_t i = 1; i < t.size(); i += 3) t[i] = t[i - 1];
  const double origin = c.before ? t[t.size() / 3] : t[0];
  for (double& x : t) x -= origin;
  std::vector<double> mag(t.size());
  std::iota(mag.begin(), mag.end(), 1.0);  // magnitude i marks observation i
  std::vector<double> bin(t.size());
  for (size_t i = 0; i < bin.size(); ++i) bin[i] = static_cast<double>((i * 5) % 4);
  const auto makeOrder = [&] {
    if constexpr (std::is_same_v<Order, BucketPhaseOrder>) {
      if (c.binned) return Order(t.data(), mag.data(), c.n, {0.5, bin.data(), 4});
    }
    return Order(t.data(), mag.data(), c.n);
  };
  Order order = makeOrder();
  std::vector<double> phase(t.size()), sorted(t.size()), sortedMag(t.size());
  std::vector<int32_t> place(t.size()), bucket(t.size());
  PhaseSortScratch scratch;
  const double step = c.shift / (t.back() - t.front());
  const int trials = c.n > 1000 ? 200 : 2000;
  for (int k = 0; k < trials; ++k) {
    const double f = c.wholeDays ? 0.5 + k / 64.0 : 1 + k * step;
    order.Order(f, kernels::BestIsa());
    kernels::Fold(t.data(), t.size(), f, c.binned ? 0.5 : 0, phase.data(), kernels::Isa::Scalar);
    if (c.binned)
      for (size_t i = 0; i < phase.size(); ++i) phase[i] = (phase[i] + bin[i]) / 4;
    SortPhases(phase.data(), c.n, sorted.data(), place.data(), bucket.data(), scratch);
    for (int32_t i = 0; i < c.n; ++i) {
      const auto at = static_cast<size_t>(i);
      ASSERT_EQ(order.Phase(i), sorted[at]) << "trial " << k << " place " << i;
      sortedMag[at] = mag[static_cast<size_t>(place[at])];
      ASSERT_EQ(order.Mag(i), sortedMag[at]) << "trial " << k;
    }
    ASSERT_EQ(order.SquaredSteps(),
              kernels::CyclicSquaredSteps(sortedMag.data(), t.size(), kernels::BestIsa()));
  }
  if constexpr (std::is_same_v<Order, RunningPhaseOrder>) {
    // The carried order did the work where the shift is small.
    if (c.carried) {
      EXPECT_LT(order.Afresh(), trials / 20);
    }
  }
}

// At the survey phase shift of 0.05 (where the running order rarely sorts
// afresh) and at 0.7 (where it mostly must), with dates repeated (equal
// phases in every trial), with dates before the origin (phases that wrap the
// other way) and with fewer observations than the rank window is wide.
TEST(RunningPhaseOrder, EveryTrialGivesTheDistributionSortsOrder) {
  for (const OrderCase c :
       {OrderCase{57, 0.05, false, false, true}, OrderCase{30, 0.05, true, false, true},
        OrderCase{100, 0.05, false, true, false}, OrderCase{5, 0.05, true, false, true},
        OrderCase{2, 0.05, false, false, true}, OrderCase{57, 0.7, false, false, false}})
    ExpectSortPhasesOrder<RunningPhaseOrder>(c);
}

// The same for the bucket order at every size, and with ties that arrive
// out of observation order.
TEST(BucketPhaseOrder, EveryTrialGivesTheDistributionSortsOrder) {
  for (const OrderCase c :
       {OrderCase{650, 0.05, false, false, false}, OrderCase{5000, 0.05, false, true, false},
        OrderCase{300, 0.05, true, false, false}, OrderCase{300, 0.7, false, false, false},
        OrderCase{400, 0.05, false, false, false, true}, OrderCase{57, 0.05, true, true, false},
        OrderCase{3, 0.05, false, false, false}, OrderCase{2, 0.05, false, false, false},
        OrderCase{650, 0.05, true, false, false, false, true}})
    ExpectSortPhasesOrder<BucketPhaseOrder>(c);
}

}  // namespace
}  // namespace korvel
