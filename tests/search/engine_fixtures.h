// Shared by the tests of the engines that run on values alone (gls, mhaov,
// pdm, ce): a noisy periodic star, a search of it by method name, and the
// frequencies of the trials a search made.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>
#include <random>
#include <string>
#include <variant>
#include <vector>

#include "search/search_methods.h"
#include "search/search_pipeline.h"

namespace korvel::testing {

// Dates at random over 200 days and a sawtooth-shaped light curve (so that
// its harmonics matter) of the given period with Gaussian noise.
struct Star {
  std::vector<double> t, mag;
  // Views of t and mag: the star must outlive them.
  Observations Values() const { return ObservationsOf(t, mag); }
};

inline Star NoisyStar(size_t n, double period, double noise, unsigned seed) {
  std::mt19937 gen(seed);
  std::uniform_real_distribution<double> date(0, 200);
  std::normal_distribution<double> scatter(0, noise);
  Star s;
  for (size_t i = 0; i < n; ++i) s.t.push_back(2451000 + date(gen));
  std::sort(s.t.begin(), s.t.end());
  for (double x : s.t) {
    const double phase = x / period - std::floor(x / period);
    s.mag.push_back(11 + 0.3 * (phase < 0.2 ? 1 - phase / 0.2 : (phase - 0.2) / 0.8) +
                    scatter(gen));
  }
  return s;
}

// The request of the named method over 0.3 - 3 days at a phase shift of
// `shift`, as `adjust` leaves it.
inline SearchRequest RequestOf(const std::string& method, double shift = 0.02, int threads = 1,
                               const std::function<void(SearchRequest&)>& adjust = {}) {
  const SearchMethod* m = MethodNamed(method);
  EXPECT_NE(m, nullptr) << method;
  SearchRequest r;
  r.method = m ? m->kind : SearchKind::LaflerKinman;
  r.pmin = 0.3;
  r.pmax = 3;
  r.phaseShift = shift;
  r.threads = threads;
  if (adjust) adjust(r);
  return r;
}

// The refusal of the request, or "" when it is accepted.
inline std::string RefusalOf(const SearchRequest& r, const Observations& o) {
  const auto prepared = PrepareSearch(r, o);
  return std::holds_alternative<Refusal>(prepared) ? std::get<Refusal>(prepared).text : "";
}

inline SearchResult SearchOf(const SearchRequest& r, const Observations& o) {
  const auto prepared = PrepareSearch(r, o);
  EXPECT_TRUE(std::holds_alternative<PreparedSearch>(prepared)) << RefusalOf(r, o);
  if (!std::holds_alternative<PreparedSearch>(prepared)) return {};
  PlainSearchHooks hooks(r.threads);
  return RunSearch(std::get<PreparedSearch>(prepared), o, hooks);
}

// Each trial's frequency, made by the additions the grid makes.
inline std::vector<double> TrialFrequencies(const TrialValues& v) {
  std::vector<double> f;
  double x = v.first;
  for (int64_t k = 0; k < v.trials; ++k, x += v.step) f.push_back(x);
  return f;
}

// Two runs agree bit for bit: every statistic and every place of the best
// list.
inline void ExpectSameResults(const SearchResult& a, const SearchResult& b) {
  ASSERT_EQ(a.statistic.value.size(), b.statistic.value.size());
  for (size_t k = 0; k < a.statistic.value.size(); ++k) {
    const double x = a.statistic.value[k], y = b.statistic.value[k];
    ASSERT_TRUE(x == y || (std::isnan(x) && std::isnan(y))) << "trial " << k;
  }
  for (size_t k = 0; k < a.best.size(); ++k) {
    EXPECT_EQ(a.best[k].freq, b.best[k].freq) << "place " << k;
    EXPECT_EQ(a.best[k].value, b.best[k].value) << "place " << k;
  }
}

}  // namespace korvel::testing
