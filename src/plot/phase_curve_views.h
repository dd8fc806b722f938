// The light curves against phase: the phase light curve (views 'd' and 'l',
// full and zoomed), the curves divided by secondary-phase bins (view 's') and
// the curve coloured by secondary phase (view 'n'), with their ephemeris text.
#pragma once

#include <array>

#include "core/analysis_state.h"
#include "plot/axes.h"
#include "plot/canvas.h"

namespace korvel {

void DrawPhaseView(AnalysisState& s, Canvas& c);

// Where the phase view of views 'd' and 'l' puts an observation, from the
// geometry its last paint left: the place of its phase and, when the axis
// starts below 0 and the phase is 0.5 or more, the place one cycle earlier.
// In a zoomed window only an observation the view takes has places; with the
// full range every observation has them (out-of-range magnitudes land
// outside the frame).
struct PhasePlaces {
  int count = 0;
  std::array<int, 2> x{}, y{};
};
class PhaseGeometry {
 public:
  explicit PhaseGeometry(const AnalysisState& s);
  PhasePlaces Places(double phase, double mag) const;
  bool Usable() const { return map_.range.usable && window_.usable; }

 private:
  int X(double phase) const;
  const AnalysisState& s_;
  ValueMap map_;
  AxisRange window_;  // the zoomed window as drawn (full range: -0.5 .. 1)
};
void DrawBinsView(AnalysisState& s, Canvas& c);
void DrawColourView(AnalysisState& s, Canvas& c);

// The two ephemeris lines of the primary and secondary elements at
// (x, H - dy - 29) and (x, H - dy - 10).
void DrawLightElements(const AnalysisState& s, Canvas& c, int x, int dy, int H);

}  // namespace korvel
