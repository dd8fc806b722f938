#include "plot/paint.h"

#include "plot/about.h"
#include "plot/mean_curve_view.h"
#include "plot/phase_curve_views.h"
#include "plot/search_views.h"
#include "plot/spectrum_view.h"
#include "plot/time_view.h"

namespace korvel {

namespace {

void SetStatus(const PaintSurroundings& env, const char* text) {
  if (env.setStatus) env.setStatus(text);
}

// The light-curve view of View, when the curve is ready.
void DrawReadyView(AnalysisState& s, Canvas& c, const PaintSurroundings& env) {
  if (IsSpectrumView(s.View)) {
    SetStatus(env, kLightCurveStatus);
    if (IsBinsView(s.View))
      DrawBinsView(s, c);
    else
      DrawPhaseView(s, c);
    return;
  }
  switch (s.View) {
    case 'n':
      SetStatus(env, kLightCurveStatus);
      DrawColourView(s, c);
      break;
    case 'm':
      SetStatus(env, kMeanLightCurveStatus);
      DrawMeanCurveView(s, c);
      break;
    case 't':
      DrawTimeView(s, c);
      break;
    case 'h':
      DrawAbout(c);
      break;
    default:
      break;
  }
}

}  // namespace

void PWinPaint(AnalysisState& s, Canvas& c, const PaintSurroundings& env) {
  c.SetFontSize(12);
  if (s.DataReady == 'y')
    DrawReadyView(s, c, env);
  else if (IsSpectrumView(s.View))
    DrawSpectrumView(s, c, env);
  if (s.View == 'h') DrawAbout(c);
}

}  // namespace korvel
