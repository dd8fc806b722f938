// cos and sin of 2 pi f dt at the trial frequencies of a grid without a
// std::cos and std::sin per observation and trial: every kSegment trials the
// angles are computed directly (an anchor), in between they are rotated from
// the anchor by the fixed angle of one grid step, and the little that the
// grid's repeated additions drift from the ideal step is turned by a short
// Taylor series. The rotation is the classic trigonometric recurrence (Press
// et al. 1992, Numerical Recipes, 2nd ed., section 5.5).
//
// What a frequency gives depends on that frequency alone: its anchor and its
// number of steps from it follow from (f - origin) / step, never from the
// trial computed before, so any order or chunking of the trials gives the
// same values bit for bit and the results do not depend on the threads.
#pragma once

#include <cstdint>
#include <vector>

#include "search/engine_support.h"
#include "search/trial_kernels.h"

namespace korvel {

class GridPhasors {
 public:
  // Trials between anchors: a rotation costs a few roundings, so 128 of them
  // stay some 1e-13 from the direct values, while an anchor's std::cos and
  // std::sin cost as much as some 20 rotations.
  static constexpr int64_t kSegment = 128;

  // dt: the offsets of the observations; origin and step: the grid's start
  // and step (a step that is not finite and positive computes every
  // frequency directly); isa: the kernel variant of the rotations (the same
  // values in every variant).
  GridPhasors(const Offsets& dt, double origin, double step, kernels::Isa isa = kernels::BestIsa());

  // Fills Cos() and Sin() for the frequency f.
  void At(double f);
  const std::vector<double>& Cos() const { return cos_; }
  const std::vector<double>& Sin() const { return sin_; }

 private:
  void Direct(double f, std::vector<double>& c, std::vector<double>& s) const;

  const Offsets& dt_;
  double origin_, step_;
  bool stepping_;
  kernels::Isa isa_;
  std::vector<double> rotCos_, rotSin_;        // one step
  std::vector<double> anchorCos_, anchorSin_;  // at the anchor of segment_
  std::vector<double> runCos_, runSin_;        // the anchor turned steps_ times
  int64_t segment_ = -1, steps_ = 0;
  std::vector<double> cos_, sin_;
};

}  // namespace korvel
