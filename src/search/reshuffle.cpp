#include "search/reshuffle.h"

#include <cmath>
#include <memory>
#include <random>
#include <vector>

namespace korvel {

namespace {

// Positions 1 .. n still present, counted in a Fenwick tree, so that the
// r-th remaining one is found in log n steps instead of by closing the gap
// in an array (quadratic for long series).
class RemainingPositions {
 public:
  explicit RemainingPositions(int32_t n) : tree_(static_cast<size_t>(n) + 1, 0) {
    for (int32_t i = 1; i <= n; ++i) {
      tree_[i] += 1;
      const int32_t parent = i + (i & -i);
      if (parent <= n) tree_[parent] += tree_[i];
    }
    top_ = 1;
    while (top_ * 2 <= n) top_ *= 2;
  }

  // Removes and returns the r-th remaining position (1-based).
  int32_t Take(int32_t r) {
    int32_t pos = 0;
    for (int32_t step = top_; step > 0; step /= 2) {
      const int32_t next = pos + step;
      if (next < static_cast<int32_t>(tree_.size()) && tree_[next] < r) {
        pos = next;
        r -= tree_[next];
      }
    }
    const int32_t found = pos + 1;
    for (int32_t i = found; i < static_cast<int32_t>(tree_.size()); i += i & -i) tree_[i] -= 1;
    return found;
  }

 private:
  std::vector<int32_t> tree_;
  int32_t top_ = 1;
};

}  // namespace

std::vector<double> ShuffledMagnitudes(std::span<const double> mag, const UniformSource& uniform) {
  const auto nObs = static_cast<int32_t>(mag.size());
  std::vector<double> dealt(mag.size());
  if (nObs == 0) return dealt;
  RemainingPositions remaining(nObs);
  int32_t k = 0;
  for (int32_t n = nObs; n >= 2; --n, ++k) {
    double u = uniform();
    if (!(u >= 0)) u = 0;  // a source must not push a draw outside 1 .. n
    const double pick = std::trunc(u * n) + 1;
    const int32_t r = pick > n ? n : static_cast<int32_t>(pick);
    dealt[static_cast<size_t>(k)] = mag[static_cast<size_t>(remaining.Take(r) - 1)];
  }
  dealt[mag.size() - 1] = mag[static_cast<size_t>(remaining.Take(1) - 1)];
  return dealt;
}

UniformSource SeededUniform(uint64_t seed) {
  auto generator = std::make_shared<std::mt19937_64>(seed);
  // 53 random bits: uniform in [0, 1) and never 1.
  return [generator] { return static_cast<double>((*generator)() >> 11) * 0x1.0p-53; };
}

std::string ShuffleMessage(int32_t count) {
  return "Reshuffled " + std::to_string(count) + (count == 1 ? " time." : " times.");
}

}  // namespace korvel
