#include "search/conditional_entropy.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "search/engine_support.h"
#include "search/search_methods.h"
#include "search/trial_loop.h"
#include "search/trial_record.h"

namespace korvel {

namespace {

// The row of each observation's scaled magnitude: the greatest in the top
// row, not above it.
std::vector<int> MagnitudeRows(const Observations& o, int magBins) {
  const auto [lo, hi] = std::minmax_element(o.mag.begin(), o.mag.end());
  std::vector<int> row(o.size());
  const double range = *hi - *lo;
  for (size_t i = 0; i < o.size(); ++i) {
    const double scaled = range > 0 ? (o.mag[i] - *lo) / range : 0;
    row[i] = std::min(static_cast<int>(scaled * magBins), magBins - 1);
  }
  return row;
}

class Entropy : public TrialStatistic {
 public:
  Entropy(const Offsets& dt, const std::vector<int>& row, int phaseBins, int magBins)
      : dt_(dt),
        row_(row),
        phaseBins_(phaseBins),
        magBins_(magBins),
        cell_(static_cast<size_t>(phaseBins * magBins)),
        column_(static_cast<size_t>(phaseBins)) {}

  double Value(double freq) override {
    std::fill(cell_.begin(), cell_.end(), 0);
    std::fill(column_.begin(), column_.end(), 0);
    for (size_t i = 0; i < row_.size(); ++i) {
      const double cycles = freq * dt_.values[i];
      const double phase = cycles - std::floor(cycles);
      const int j = std::min(static_cast<int>(phase * phaseBins_), phaseBins_ - 1);
      ++column_[static_cast<size_t>(j)];
      ++cell_[static_cast<size_t>(j * magBins_ + row_[i])];
    }
    // p(m, phi) ln(p(phi) / p(m, phi)) = (n_cell / N) ln(n_column / n_cell).
    double h = 0;
    for (int j = 0; j < phaseBins_; ++j)
      for (int i = 0; i < magBins_; ++i) {
        const int n = cell_[static_cast<size_t>(j * magBins_ + i)];
        if (n > 0) h += n * std::log(static_cast<double>(column_[static_cast<size_t>(j)]) / n);
      }
    return h / static_cast<double>(row_.size());
  }

 private:
  const Offsets& dt_;
  const std::vector<int>& row_;
  int phaseBins_, magBins_;
  std::vector<int> cell_, column_;
};

}  // namespace

std::optional<std::string> CheckEntropyBins(const SearchRequest& r, const Observations&) {
  if (r.cePhaseBins < kMinPhaseBins || r.ceMagBins < kMinPhaseBins)
    return "At least 2 phase bins and 2 magnitude bins are needed...";
  if (r.cePhaseBins > kMaxPhaseBins) return kTooManyBins;
  if (r.ceMagBins > kMaxPhaseBins) return "At most 255 magnitude bins are possible...";
  return std::nullopt;
}

void RunConditionalEntropy(const PreparedSearch& p, const Observations& o, SearchHooks& hooks,
                           SearchResult& r) {
  const Offsets dt = OffsetsFrom(o.jd, o.jd[0]);
  const int phaseBins = p.request.cePhaseBins, magBins = p.request.ceMagBins;
  const std::vector<int> row = MagnitudeRows(o, magBins);
  RunTrials(
      r, o.size(), hooks, MethodOf(p.request.method).events,
      [&] { return std::make_unique<Entropy>(dt, row, phaseBins, magBins); },
      [&r](double h) { return KeepRankedTrial(r, h, true); });
}

}  // namespace korvel
