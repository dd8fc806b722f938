#include "app/paint_commands.h"

#include <algorithm>
#include <cmath>

#include "plot/paint.h"

namespace korvel {

void PWinPaint(AppContext& a, Canvas& c) {
  PaintSurroundings env;
  env.setStatus = [&a](const std::string& text) { a.p.SetStatus(text); };
  env.mainWindowActive = a.p.IsMainWindowActive();
  korvel::PWinPaint(a.s, c, env);
}

double SearchProgress(const AnalysisState& s) {
  const double share = (s.Freq - s.FreqLo) / (s.FreqEnd - s.FreqLo);
  return std::isfinite(share) ? std::clamp(share, 0.0, 1.0) : 0.0;
}

}  // namespace korvel
