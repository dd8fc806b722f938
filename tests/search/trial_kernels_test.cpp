#include "search/trial_kernels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <numeric>
#include <random>
#include <vector>

#include "engine_fixtures.h"
#include "search/lomb_scargle.h"
#include "search/multi_harmonic_aov.h"

namespace korvel::kernels {
namespace {

TEST(SineCosineWeights, MatchSineAndCosineAtTheQuarterPoints) {
  const double phases[] = {0, 0.25, 0.5, 0.75};
  const double sines[] = {0, 1, 0, -1};
  const double cosines[] = {1, 0, -1, 0};
  for (int k = 0; k < 4; ++k) {
    const Weights w = SineCosineWeights(phases[k]);
    EXPECT_EQ(w.s, sines[k]) << phases[k];
    EXPECT_EQ(w.c, cosines[k]) << phases[k];
  }
}

TEST(SineCosineWeights, StayWithinSixHundredthsOfTheTrigonometricFunctions) {
  for (double p = 0; p < 1; p += 1.0 / 64) {
    const Weights w = SineCosineWeights(p);
    EXPECT_NEAR(w.s, std::sin(2 * std::numbers::pi * p), 0.06) << p;
    EXPECT_NEAR(w.c, std::cos(2 * std::numbers::pi * p), 0.06) << p;
  }
}

struct Data {
  std::vector<double> a, w;
};

Data RandomData(size_t n, unsigned seed) {
  std::mt19937 gen(seed);
  std::uniform_real_distribution<double> date(0, 3000), mag(-1, 1);
  Data d;
  for (size_t i = 0; i < n; ++i) {
    d.a.push_back(date(gen));
    d.w.push_back(mag(gen));
  }
  d.a[0] = 0;  // the first observation's offset from itself
  return d;
}

// Every variant on this machine, on lengths that exercise the vector tails.
class EveryIsa : public ::testing::TestWithParam<Isa> {};

TEST_P(EveryIsa, FoldsBitForBitAsTheScalarCode) {
  for (size_t n : {1u, 2u, 7u, 8u, 9u, 17u, 1000u}) {
    const Data d = RandomData(n, static_cast<unsigned>(n));
    for (double f : {0.0, 0.01, 0.1234567, 3.7}) {
      for (double c : {0.0, 0.5, 1.0 / 6}) {
        std::vector<double> ref(n), got(n);
        Fold(d.a.data(), n, f, c, ref.data(), Isa::Scalar);
        Fold(d.a.data(), n, f, c, got.data(), GetParam());
        EXPECT_EQ(got, ref) << "n " << n << " f " << f << " c " << c;
        std::vector<int32_t> refBins(n), gotBins(n);
        FoldBins(d.a.data(), n, f, c, 8, refBins.data(), Isa::Scalar);
        FoldBins(d.a.data(), n, f, c, 8, gotBins.data(), GetParam());
        EXPECT_EQ(gotBins, refBins);
        const int32_t buckets = 2 * static_cast<int32_t>(n);
        PhaseBuckets(ref.data(), n, buckets, refBins.data(), Isa::Scalar);
        PhaseBuckets(ref.data(), n, buckets, gotBins.data(), GetParam());
        EXPECT_EQ(gotBins, refBins);
      }
    }
  }
}

TEST_P(EveryIsa, SumsAgreeWithTheScalarCodeToTheLastBits) {
  for (size_t n : {1u, 5u, 8u, 13u, 16u, 1001u}) {
    const Data d = RandomData(n, 100 + static_cast<unsigned>(n));
    for (double f : {0.001, 0.1, 2.5}) {
      const Sums ref = DeemingSums(d.a.data(), d.w.data(), n, f, Isa::Scalar);
      const Sums got = DeemingSums(d.a.data(), d.w.data(), n, f, GetParam());
      const double scale = 1e-13 * static_cast<double>(n);
      EXPECT_NEAR(got.ss, ref.ss, scale);
      EXPECT_NEAR(got.sc, ref.sc, scale);
    }
    const double ref = CyclicSquaredSteps(d.w.data(), n, Isa::Scalar);
    EXPECT_NEAR(CyclicSquaredSteps(d.w.data(), n, GetParam()), ref, 1e-12 * ref + 1e-300);
  }
}

// Several trials side by side must add in the order of one trial alone, so
// the engines' results do not depend on how trials are grouped.
TEST_P(EveryIsa, TrialsSideBySideSumAsOneTrialAloneToTheLastBit) {
  for (size_t n : {1u, 7u, 8u, 9u, 57u, 1000u}) {
    const Data d = RandomData(n, 300 + static_cast<unsigned>(n));
    for (size_t count : {1u, 5u, 8u, 13u}) {
      std::vector<double> f(count), ss(count), sc(count), amp(count);
      for (size_t t = 0; t < count; ++t) f[t] = 0.1 + 1.7e-5 * static_cast<double>(t);
      DeemingSumsOfTrials(d.a.data(), d.w.data(), n, f.data(), count, ss.data(), sc.data(),
                          GetParam());
      DeemingAmplitudes(ss.data(), sc.data(), count, static_cast<double>(n), 1.898, amp.data(),
                        GetParam());
      std::vector<double> together(count);
      DeemingTrialAmplitudes(d.a.data(), d.w.data(), n, f.data(), count, 1.898, together.data(),
                             GetParam());
      EXPECT_EQ(together, amp) << "n " << n;
      for (size_t t = 0; t < count; ++t) {
        const Sums one = DeemingSums(d.a.data(), d.w.data(), n, f[t], GetParam());
        EXPECT_EQ(ss[t], one.ss) << "n " << n << " trial " << t;
        EXPECT_EQ(sc[t], one.sc) << "n " << n << " trial " << t;
        double alone;
        DeemingAmplitudes(&one.ss, &one.sc, 1, static_cast<double>(n), 1.898, &alone, Isa::Scalar);
        EXPECT_EQ(amp[t], alone);
      }
    }
  }
  // Frequencies so high that four times them overflows (from the fifth
  // trial on: in some lanes of a register only), on offsets small enough to
  // keep the phases in range; below eight observations the one trial alone
  // takes the scalar arcs.
  for (size_t n : {7u, 9u}) {
    std::vector<double> a(n), w(n);
    for (size_t i = 0; i < n; ++i) {
      a[i] = std::ldexp(static_cast<double>(i * i + 3 * i), -1026);
      w[i] = 0.25 + 0.125 * static_cast<double>(i % 3);
    }
    const size_t count = 13;
    std::vector<double> f(count), ss(count), sc(count);
    for (size_t t = 0; t < count; ++t)
      f[t] = std::ldexp(0.75 + 0.0625 * static_cast<double>(t), 1022);  // from t = 4 on
    DeemingSumsOfTrials(a.data(), w.data(), n, f.data(), count, ss.data(), sc.data(), GetParam());
    for (size_t t = 0; t < count; ++t) {
      const Sums one = DeemingSums(a.data(), w.data(), n, f[t], GetParam());
      EXPECT_EQ(ss[t], one.ss) << "n " << n << " trial " << t;
      EXPECT_EQ(sc[t], one.sc) << "n " << n << " trial " << t;
    }
  }
}

// The running phase order's steps: the vector variants give the scalar
// results, and window ranks are the places of a stable sort (by phase, on
// the circle) when nothing is further from its place than the window.
TEST_P(EveryIsa, RankingStepsMatchTheScalarCode) {
  std::mt19937 gen(11);
  std::uniform_real_distribution<double> jitter(0, 0.05);
  for (size_t n : {1u, 3u, 8u, 13u, 57u}) {
    const size_t whole = Padded(n), pad = kMaxRankWindow;
    std::vector<int32_t> buffer(pad + whole + pad, INT32_MAX);
    std::fill(buffer.begin(), buffer.begin() + static_cast<ptrdiff_t>(pad), INT32_MIN);
    int32_t* key = buffer.data() + pad;
    // Phases just below 1 at the end wrapped: continued past 1, they go first.
    for (size_t k = 0; k < n; ++k)
      key[k] = static_cast<int32_t>(
          kKeyScale * (static_cast<double>(k + 1) / static_cast<double>(n) + jitter(gen)));
    if (n > 1) key[n / 2] = key[n / 2 - 1];  // a tie keeps its order
    std::vector<int32_t> rank(whole), ref(whole);
    const int32_t least = WindowRanks(key, n, kMaxRankWindow, rank.data(), GetParam());
    EXPECT_EQ(least, WindowRanks(key, n, kMaxRankWindow, ref.data(), Isa::Scalar));
    EXPECT_EQ(std::vector<int32_t>(rank.begin(), rank.begin() + static_cast<ptrdiff_t>(n)),
              std::vector<int32_t>(ref.begin(), ref.begin() + static_cast<ptrdiff_t>(n)));
    std::vector<size_t> order(n);
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return key[a] % kKeyCycle < key[b] % kKeyCycle; });
    for (size_t place = 0; place < n; ++place)
      EXPECT_EQ(rank[order[place]] - least, static_cast<int32_t>(place)) << n;

    const Data d = RandomData(n, 17);
    std::vector<double> pairs(2 * Padded(n)), phaseRef(n);
    for (size_t k = 0; k < n; ++k) {
      pairs[2 * k] = d.a[k];
      pairs[2 * k + 1] = d.w[k];
    }
    // Keys are the phases at f, continued past 1 where they wrapped since
    // fPrevious, to within their resolution; a jump too far is clamped.
    std::vector<int32_t> keys(Padded(n)), keysRef(n);
    for (double f : {0.01, 0.3}) {
      const double fPrevious = f - 2e-5;
      FoldKeys(pairs.data(), n, f, fPrevious, keys.data(), GetParam());
      FoldKeys(pairs.data(), n, f, fPrevious, keysRef.data(), Isa::Scalar);
      EXPECT_EQ(std::vector<int32_t>(keys.begin(), keys.begin() + static_cast<ptrdiff_t>(n)),
                keysRef);
      Fold(d.a.data(), n, f, 0, phaseRef.data(), Isa::Scalar);
      for (size_t k = 0; k < n; ++k) {
        const bool wrapped = std::floor(d.a[k] * f) > std::floor(d.a[k] * fPrevious);
        EXPECT_NEAR(keys[k] / kKeyScale, phaseRef[k] + (wrapped ? 1 : 0), 0x1.0p-20) << k;
      }
      FoldKeys(pairs.data(), n, f, 0, keys.data(), GetParam());
      for (size_t k = 0; k < n; ++k)
        EXPECT_LE(keys[k], static_cast<int32_t>(kKeyClamp * kKeyScale)) << k;
    }
    // The seconds of the pairs sum as the same values side by side do.
    EXPECT_EQ(CyclicSquaredStepsOfPairs(pairs.data(), n, GetParam()),
              CyclicSquaredSteps(d.w.data(), n, GetParam()));

    // Offsets 0, 1, 2 ... fold at f = 1/64 to ascending phases, every one
    // exact; equal phases pass only for equal offsets.
    constexpr double f = 1.0 / 64;
    for (size_t k = 0; k < n; ++k) pairs[2 * k] = static_cast<double>(k);
    EXPECT_TRUE(FoldAscendingOrTied(pairs.data(), n, f, GetParam()));
    if (n > 2) {
      pairs[4] = 1;
      EXPECT_TRUE(FoldAscendingOrTied(pairs.data(), n, f, GetParam()));
      pairs[4] = 65;  // the same phase, another date: not an order this can vouch for
      EXPECT_FALSE(FoldAscendingOrTied(pairs.data(), n, f, GetParam()));
      pairs[4] = 2;
      std::swap(pairs[0], pairs[2 * n - 2]);
      EXPECT_FALSE(FoldAscendingOrTied(pairs.data(), n, f, GetParam()));
      std::swap(pairs[0], pairs[2 * n - 2]);
    }
    pairs[2 * n - 2] = std::nan("");  // a place nothing landed on
    EXPECT_FALSE(FoldAscendingOrTied(pairs.data(), n, f, GetParam()));
    if (n > 1) {
      pairs[2 * n - 2] = static_cast<double>(n - 1);
      pairs[0] = std::nan("");
      EXPECT_FALSE(FoldAscendingOrTied(pairs.data(), n, f, GetParam()));
    }
  }
}

TEST_P(EveryIsa, ExclusiveSumsAreTheStartsOfBuckets) {
  for (size_t n : {0u, 5u, 16u, 17u, 100u}) {
    std::vector<int32_t> v(n), starts(n);
    for (size_t i = 0; i < n; ++i) v[i] = static_cast<int32_t>((i * 7) % 5);
    std::exclusive_scan(v.begin(), v.end(), starts.begin(), 0);
    ExclusiveSums(v.data(), n, GetParam());
    EXPECT_EQ(v, starts) << n;
  }
}

// The bucket order's steps: on phases in buckets of one to four (some
// tied, of one offset or of two), every variant settles the order the
// scalar code settles, moves each place whole, and refuses only equal
// phases of different offsets.
TEST_P(EveryIsa, BucketsSettleAsTheScalarCode) {
  std::mt19937 gen(5);
  for (size_t n : {1u, 2u, 9u, 17u, 300u}) {
    for (const bool foreignTie : {false, true}) {
      std::uniform_int_distribution<int> bucket(0, static_cast<int>(n / 2));
      std::uniform_real_distribution<double> within(0, 1);
      std::vector<double> phases(n), t(n);
      for (double& p : phases) p = (bucket(gen) + (within(gen) < 0.2 ? 0.5 : within(gen))) / n;
      std::sort(phases.begin(), phases.end(), [](double a, double b) {
        return std::floor(a * 64) < std::floor(b * 64);  // in order only to 1/64
      });
      // Offsets name their observations; equal phases share an offset
      // unless foreignTie.
      for (size_t k = 0; k < n; ++k) t[k] = 10.0 * static_cast<double>(k);
      for (size_t k = 0; k < n; ++k)
        for (size_t j = 0; j < k; ++j)
          if (phases[j] == phases[k] && !foreignTie) t[k] = t[j];
      const auto columns = [n](std::vector<double>& store) {
        store.assign(3 * (n + 4), 0.0);
        double* base = store.data() + 2;
        return PhaseColumns{base, base + n + 4, base + 2 * (n + 4), nullptr};
      };
      std::vector<double> fromStore, toStore, refStore;
      const PhaseColumns from = columns(fromStore), to = columns(toStore);
      const PhaseColumns ref = columns(refStore);
      for (size_t k = 0; k < n; ++k) {
        from.phase[k] = phases[k];
        from.t[k] = t[k];
        from.mag[k] = -phases[k];
      }
      from.phase[-2] = from.phase[-1] = -HUGE_VAL;
      from.phase[n] = from.phase[n + 1] = HUGE_VAL;
      const bool settled = SettleBuckets(from, to, n, GetParam());
      ASSERT_EQ(settled, SettleBuckets(from, ref, n, Isa::Scalar)) << n;
      std::vector<double> expected = phases;
      std::sort(expected.begin(), expected.end());
      if (!settled) {
        EXPECT_TRUE(foreignTie &&
                    std::adjacent_find(expected.begin(), expected.end()) != expected.end())
            << n;
        continue;
      }
      for (size_t k = 0; k < n; ++k) {
        ASSERT_EQ(to.phase[k], expected[k]) << n << " " << k;
        ASSERT_EQ(to.t[k], ref.t[k]) << n << " " << k;
        ASSERT_EQ(to.mag[k], -to.phase[k]);  // moved whole
      }
    }
  }
}

// gls and mhaov through the grid's recurrence, over a few anchors: the
// rotations are the same bits in every variant, the sums differ only in
// their order, so the statistics agree to a few units of the last place.
TEST_P(EveryIsa, PhasorSearchesGiveTheScalarPowers) {
  for (size_t n : {7u, 13u, 57u, 650u}) {
    const testing::Star star = testing::NoisyStar(n, 0.61, 0.02, 7 + static_cast<unsigned>(n));
    const Observations o = star.Values();
    const double step = 0.02 / 200, origin = 0.3;
    std::vector<double> freqs;
    for (double f = origin; freqs.size() < 300; f += step) freqs.push_back(f);
    const auto agree = [&](const std::vector<double>& got, const std::vector<double>& ref) {
      ASSERT_EQ(got.size(), ref.size());
      for (size_t k = 0; k < ref.size(); ++k) {
        ASSERT_TRUE(std::isfinite(ref[k])) << "n " << n << " trial " << k;
        ASSERT_NEAR(got[k], ref[k], 1e-12 * std::fabs(ref[k])) << "n " << n << " trial " << k;
      }
    };
    agree(LombScarglePowers(o, freqs, origin, step, GetParam()),
          LombScarglePowers(o, freqs, origin, step, Isa::Scalar));
    // Theta divides by the residual, which for 7 observations and the 5
    // parameters of 2 harmonics can be a thousandth of the fit: the last
    // bits of the fit would then move Theta by more than its 1e-12.
    if (n < 13) continue;
    agree(MultiHarmonicAovThetas(o, 2, freqs, origin, step, GetParam()),
          MultiHarmonicAovThetas(o, 2, freqs, origin, step, Isa::Scalar));
  }
}

INSTANTIATE_TEST_SUITE_P(Kernels, EveryIsa, ::testing::ValuesIn(AvailableIsas()),
                         [](const ::testing::TestParamInfo<Isa>& info) {
                           return std::string(IsaName(info.param));
                         });

TEST(CyclicSquaredSteps, ClosesTheCycle) {
  const double w[] = {1, 3, 2};
  // (3-1)^2 + (2-3)^2 + (1-2)^2
  EXPECT_EQ(CyclicSquaredSteps(w, 3, BestIsa()), 6);
  EXPECT_EQ(CyclicSquaredSteps(w, 1, BestIsa()), 0);
}

TEST(PhaseBuckets, ClampPhasesOfOneAndAboveToTheLastBucket) {
  const double phases[] = {0.0, 0.49, 0.5, 0.999, 1.0, 1.5};
  int32_t out[6];
  PhaseBuckets(phases, 6, 4, out, BestIsa());
  EXPECT_EQ(std::vector<int32_t>(out, out + 6), (std::vector<int32_t>{0, 1, 2, 3, 3, 3}));
}

TEST(VectorFoldIsExact, OnlyForNonNegativeArgumentsWellBelowTwoToThe52) {
  EXPECT_TRUE(VectorFoldIsExact(0, 1000, 1.0, 0.5));
  EXPECT_FALSE(VectorFoldIsExact(-1, 1000, 1.0, 0));
  EXPECT_FALSE(VectorFoldIsExact(0, 1e16, 1.0, 0));
}

TEST(Fold, TakesTheWholePartBelowForNegativeArguments) {
  const double a[] = {-0.25, -2.0, 1.75};
  double out[3];
  Fold(a, 3, 1.0, 0, out, Isa::Scalar);
  EXPECT_EQ(out[0], 0.75);
  EXPECT_EQ(out[1], 1.0);  // a negative whole number has phase 1
  EXPECT_EQ(out[2], 0.75);
}

}  // namespace
}  // namespace korvel::kernels
