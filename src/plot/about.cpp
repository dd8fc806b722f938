#include "plot/about.h"

namespace korvel {

void DrawAbout(Canvas& c) {
  struct Line {
    int y;
    const char* text;
  };
  static constexpr Line kLines[] = {
      {80, "Written to search for the periodicity and study the"},
      {100, "secondary periodicity in the light curve shape"},
      {120, "(precession, the Blazhko modulation) of stars."},
      {140, "           Lafler-Kinman period search;"},
      {160, "           Deeming period search;"},
      {180, "           Tervanik's search for secondary period"},
      {260, "Light curves versus time and phase. Phase sampling"},
      {280, "Mean light curves calculated with a moving average method."},
      {300, "Wave smoothing and prewhitening."},
      {320, "Extraction of light curve fragments."},
      {340, "Decomposition of light curves into periodic components"},
      {360, "and modelling. Significance levels' estimates of peaks in the"},
      {380, "amplitude spectra."},
  };
  c.SetPenColour(kWhite);
  c.SetFontColour(kWhite);
  c.SetBrushColour(kWindowColour);
  c.SetBrushStyle(BrushStyle::Solid);
  c.SetFontSize(20);
  c.TextOut(40, 20, "KORVEL");
  c.SetFontSize(12);
  for (const Line& line : kLines) c.TextOut(40, line.y, line.text);
}

}  // namespace korvel
