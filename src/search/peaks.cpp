#include "search/peaks.h"

#include <algorithm>
#include <cmath>

#include "search/search_methods.h"

namespace korvel {

namespace {

constexpr double kDay = 1;                // cycles per day of the daily alias
constexpr double kYear = 1 / 365.25;      // cycles per day of the yearly alias
constexpr size_t kLabelledHarmonics = 3;  // 2P, P/2, 3P, P/3

struct Candidate {
  double value;
  int64_t trial;
};

int64_t TrialOf(const TrialValues& v, size_t entry) {
  return v.Whole() ? static_cast<int64_t>(entry) : v.index[entry];
}

// The local extrema: better than the entry before (or none), not worse than
// the entry after (or none), so that a plateau counts once, at its start.
template <class Better>
std::vector<Candidate> LocalExtrema(const TrialValues& v, Better better) {
  std::vector<Candidate> c;
  const size_t n = v.value.size();
  for (size_t k = 0; k < n; ++k) {
    const double x = v.value[k];
    if (!std::isfinite(x)) continue;
    const bool left = k == 0 || !std::isfinite(v.value[k - 1]) || better(x, v.value[k - 1]);
    const bool right = k + 1 == n || !std::isfinite(v.value[k + 1]) || !better(v.value[k + 1], x);
    if (left && right) c.push_back({x, TrialOf(v, k)});
  }
  return c;
}

// The grid's frequency of each chosen trial, by the additions the search
// made: one pass up to the last of them.
void SetFrequencies(const TrialValues& v, std::vector<Peak>& peaks) {
  std::vector<Peak*> order;
  for (Peak& p : peaks) order.push_back(&p);
  std::sort(order.begin(), order.end(),
            [](const Peak* a, const Peak* b) { return a->trial < b->trial; });
  double f = v.first;
  int64_t k = 0;
  for (Peak* p : order) {
    for (; k < p->trial; ++k) f += v.step;
    p->frequency = f;
    p->period = 1 / f;
  }
}

bool Near(double f, double target, double width) {
  return std::abs(f - target) < width;
}

}  // namespace

std::vector<Peak> DistinctPeaks(const SearchResult& r, int count, double span) {
  std::vector<Peak> peaks;
  const TrialValues& v = r.statistic;
  if (count <= 0 || v.value.empty() || !(span > 0) || !std::isfinite(span)) return peaks;
  const bool smaller = MethodOf(r.method).smallerIsBetter;
  const auto better = [smaller](double a, double b) { return smaller ? a < b : a > b; };
  std::vector<Candidate> heap = LocalExtrema(v, better);
  // The best on top; among equals the earlier trial, as in the best list.
  const auto worse = [&](const Candidate& a, const Candidate& b) {
    return better(b.value, a.value) || (a.value == b.value && b.trial < a.trial);
  };
  std::make_heap(heap.begin(), heap.end(), worse);
  const double width = PeakWidth(span);
  const auto approximate = [&v](int64_t trial) {
    return v.first + static_cast<double>(trial) * v.step;
  };
  while (!heap.empty() && peaks.size() < static_cast<size_t>(count)) {
    std::pop_heap(heap.begin(), heap.end(), worse);
    const Candidate c = heap.back();
    heap.pop_back();
    const double f = approximate(c.trial);
    if (!(f > 0)) continue;
    const bool distinct = std::none_of(peaks.begin(), peaks.end(), [&](const Peak& p) {
      return Near(f, approximate(p.trial), width);
    });
    if (distinct) peaks.push_back({0, 0, c.value, c.trial, {}});
  }
  SetFrequencies(v, peaks);
  for (size_t k = 1; k < peaks.size(); ++k)
    peaks[k].label = PeakLabel(peaks[k].frequency, peaks[0].frequency, width);
  // The spectrum may go on rising beyond the range searched.
  const int64_t last = v.trials - 1;
  for (Peak& p : peaks)
    if (p.trial == 0 || p.trial == last) p.label += p.label.empty() ? "range edge" : ", range edge";
  return peaks;
}

std::string PeakLabel(double f, double best, double width) {
  for (size_t n = 2; n <= kLabelledHarmonics; ++n) {
    const std::string k = std::to_string(n);
    if (Near(f, best / static_cast<double>(n), width)) return k + "P";
    if (Near(f, best * static_cast<double>(n), width)) return "P/" + k;
  }
  for (int m = 1; m <= 2; ++m)
    if (Near(f, best + m * kDay, width) || Near(f, std::abs(best - m * kDay), width))
      return "alias " + std::to_string(m) + " c/d";
  // Over less than a year the yearly alias lies within the peak itself.
  if (kYear > width && (Near(f, best + kYear, width) || Near(f, std::abs(best - kYear), width)))
    return "alias 1/yr";
  return {};
}

}  // namespace korvel
