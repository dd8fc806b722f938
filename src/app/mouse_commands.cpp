#include "app/mouse_commands.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "app/file_commands.h"
#include "app/search_commands.h"
#include "app/undo_commands.h"
#include "core/numeric.h"
#include "core/text_format.h"
#include "io/observation_file.h"
#include "plot/axes.h"
#include "plot/mean_curve_view.h"
#include "plot/phase_curve_views.h"
#include "plot/plot_to_world.h"
#include "plot/search_views.h"

namespace korvel {

namespace {

std::string CountText(int32_t count) {
  return "Done... Number of observations: " + std::to_string(count);
}

bool IsBandView(char view) {
  return IsSpectrumView(view) || view == 't';
}

// The rubber band: white in XOR mode with a clear brush, so drawing it again
// removes it; the canvas is left in its usual state.
void XorBand(Canvas& c, int x0, int y0, int x1, int y1) {
  c.SetPenColour(kWhite);
  c.SetPenMode(PenMode::Xor);
  c.SetBrushStyle(BrushStyle::Clear);
  c.Rectangle(x0, y0, x1, y1);
  c.SetPenColour(kWhite);
  c.SetPenMode(PenMode::Copy);
  c.SetBrushStyle(BrushStyle::Solid);
}

void StartBand(AppContext& a, int x, int y) {
  a.p.DrawOnPlot([x, y](Canvas& c) { XorBand(c, x, y, x, y); });
  a.s.BandX1 = x;
  a.s.BandY1 = y;
}

// Removes the band as last drawn.
void RemoveBand(AppContext& a) {
  const AnalysisState& s = a.s;
  a.p.DrawOnPlot([&s](Canvas& c) { XorBand(c, s.BandX0, s.BandY0, s.BandX1, s.BandY1); });
}

// The links of the picked mean point in the green of the curve, XOR: drawn
// twice they vanish.
void XorNodeLinks(AppContext& a) {
  const AnalysisState& s = a.s;
  a.p.DrawOnPlot([&s](Canvas& c) {
    c.SetPenColour(kCurveGreen);
    c.SetPenMode(PenMode::Xor);
    DrawNodeLinks(s, c, s.SelNode);
    c.SetPenMode(PenMode::Copy);
  });
}

// The mean point nearest in phase to the fraction of u (the first of equal
// distances), or -1 when there is none.
int32_t NearestMeanPoint(const AnalysisState& s, double u) {
  const double phase = u - std::trunc(u);
  const int32_t n = std::clamp<int32_t>(s.MeanPoints, 0, AnalysisState::kMeanSize - 1);
  int32_t nearest = -1;
  double distance = 2;
  for (int32_t k = 1; k <= n; ++k)
    if (std::fabs(s.MeanPhase[k] - phase) < distance) {
      distance = std::fabs(s.MeanPhase[k] - phase);
      nearest = k;
    }
  return nearest;
}

void PressMeanCurve(AppContext& a, int x, int y, SurfaceSize surface) {
  AnalysisState& s = a.s;
  if (s.WaveState == 'd') s.WaveState = 'f';
  const WorldPoint w = PlotToWorld(s, x, y, surface);
  s.SelNode = w.inside ? NearestMeanPoint(s, w.u) : -1;
  if (s.SelNode < 1) return;
  // The links leave the picture (drawn over in the frame's blue) and come
  // back as the moving XOR figure.
  a.p.DrawOnPlot([&s](Canvas& c) {
    c.SetPenColour(kFrameFill);
    c.SetPenMode(PenMode::Copy);
    DrawNodeLinks(s, c, s.SelNode);
  });
  XorNodeLinks(a);
}

// The band after release, normalised: (x0, y0) top-left, (x1, y1)
// bottom-right, with the data coordinates of its corners.
struct Band {
  int x0, y0, x1, y1;
  WorldPoint w0, w1;
};
Band NormalBand(const AnalysisState& s, int x, int y, SurfaceSize surface) {
  Band b{s.BandX0,
         s.BandY0,
         x,
         y,
         PlotToWorld(s, s.BandX0, s.BandY0, surface),
         PlotToWorld(s, x, y, surface)};
  if (b.x1 < b.x0) {
    std::swap(b.x0, b.x1);
    std::swap(b.w0.u, b.w1.u);
  }
  if (b.y1 < b.y0) {
    std::swap(b.y0, b.y1);
    std::swap(b.w0.v, b.w1.v);
  }
  return b;
}

bool Contains(const Band& b, int x, int y) {
  return b.x0 <= x && x < b.x1 && b.y0 <= y && y < b.y1;
}

// Shift + band on the phase view: the band becomes the phase and magnitude
// window. A corner off the plot has no data coordinates: no zoom.
void ZoomPhaseView(AppContext& a, const Band& b) {
  AnalysisState& s = a.s;
  if (!b.w0.inside || !b.w1.inside) return;
  if (b.w0.u == b.w1.u || b.w0.v == b.w1.v) return;
  s.PhMin = b.w0.u;
  s.PhMax = b.w1.u;
  if (s.PhMin < 0 && s.PhMax < 0) {
    s.PhMin += 1;
    s.PhMax += 1;
  }
  s.MagLow = std::min(b.w0.v, b.w1.v);
  s.MagHigh = std::max(b.w0.v, b.w1.v);
  s.FullRange = false;
  a.p.SetVisible(Control::ButAllDiap, true);
  a.p.RequestRepaint();
}

// Removes the entries at `gone` (ascending); an array shorter than the set
// loses only those it has.
template <class V>
void EraseAt(V& v, const std::vector<int32_t>& gone) {
  size_t kept = 0, next = 0;
  for (size_t i = 0; i < v.size(); ++i) {
    if (next < gone.size() && static_cast<size_t>(gone[next]) == i) {
      ++next;
      continue;
    }
    v[kept++] = v[i];
  }
  v.resize(kept);
}

// The observations at `gone` (ascending) leave the set; the marks move with
// theirs. The plotted range is recomputed when a deleted one held an end of
// it, and the mean and variance always, since the searches normalise by them.
void DeleteObservations(AnalysisState& s, const std::vector<int32_t>& gone) {
  bool heldHigh = false, heldLow = false;
  for (int32_t i : gone) {
    heldHigh = heldHigh || s.Mag[i] == s.MagHigh;
    heldLow = heldLow || s.Mag[i] == s.MagLow;
  }
  EraseAt(s.JD, gone);
  EraseAt(s.Mag, gone);
  if (!s.Err.empty()) EraseAt(s.Err, gone);
  EraseAt(s.Marks, gone);
  EraseAt(s.LoadIndex, gone);
  s.NObs -= static_cast<int32_t>(gone.size());
  if (heldHigh) {
    s.MagHigh = -10000000;
    for (int32_t k = 1; k <= s.NObs; ++k)
      if (s.Mag[k] > s.MagHigh) s.MagHigh = s.DataMagMax = s.Mag[k];
  }
  if (heldLow) {
    s.MagLow = 10000000;
    for (int32_t k = 1; k <= s.NObs; ++k)
      if (s.Mag[k] < s.MagLow) s.MagLow = s.DataMagMin = s.Mag[k];
  }
  ComputeMeanAndVariance(s);
}

std::string ObservationsText(size_t n) {
  return std::to_string(n) + (n == 1 ? " observation" : " observations");
}

// One question for everything the band holds: a single observation is named
// by its date and magnitude. Yes deletes them all, kept for Undo.
void OfferDeletion(AppContext& a, const std::vector<int32_t>& inside) {
  AnalysisState& s = a.s;
  const int32_t first = inside.front();
  const std::string question = inside.size() == 1
                                   ? TrimZeros(Str(s.JD[first], 0, 4)) + ",  " +
                                         TrimZeros(Str(s.Mag[first], 0, 3)) + "   Delete?"
                                   : "Delete " + ObservationsText(inside.size()) + "?";
  if (a.p.AskYesNoCancel("Set point", question) != Answer::Yes) return;
  ObservationSnapshot before = SnapshotOf(a, "deletion of " + ObservationsText(inside.size()));
  s.SaveAll = true;
  DeleteObservations(s, inside);
  KeepForUndo(a, std::move(before));
  RepaintThenSay(a, "Deleted " + ObservationsText(inside.size()) + "; " + std::to_string(s.NObs) +
                        (s.NObs == 1 ? " remains." : " remain.") + " Ctrl+Z restores them.");
}

// A band without Shift on the phase view: the observations inside are
// offered for deletion, or with Ctrl marked (and every other one unmarked).
// Which are inside is decided on the picture the user drew the band over.
void DeleteOrMark(AppContext& a, const Band& b, bool ctrl) {
  AnalysisState& s = a.s;
  if (s.Marks.size() < static_cast<size_t>(s.NObs) + 1) s.Marks.resize(s.NObs + 1, 0);
  const PhaseGeometry geometry(s);
  std::vector<int32_t> inside;
  for (int32_t i = 1; i <= s.NObs; ++i) {
    const double phase = Frac((s.JD[i] - s.Epoch) / s.Period);
    const PhasePlaces places = geometry.Usable() ? geometry.Places(phase, s.Mag[i]) : PhasePlaces{};
    bool in = false;
    for (int k = 0; k < places.count; ++k) in = in || Contains(b, places.x[k], places.y[k]);
    if (in && !ctrl) {
      inside.push_back(i);
    } else if (in) {
      s.SelMade = true;
      s.Marks[i] = 1;
      a.p.DrawOnPlot([&places](Canvas& c) {
        for (int k = 0; k < places.count; ++k) PlotPoint(c, places.x[k], places.y[k], kRed);
      });
    } else if (ctrl) {
      s.Marks[i] = 0;
    }
  }
  if (!inside.empty()) OfferDeletion(a, inside);
}

// A band on a spectrum: its frequencies become the period range of the
// view's search, which then asks for its parameters.
void NewPeriodRange(AppContext& a, const Band& b) {
  const SearchMethod* method = MethodOfView(a.s.View);
  if (!method) return;
  const bool secondary = method->secondary;
  a.p.SetText(secondary ? Control::SecP_Pmax : Control::LK_Pmax, TrimZeros(Str(1 / b.w0.u, 0, 8)));
  a.p.SetText(secondary ? Control::SecP_Pmin : Control::LK_Pmin, TrimZeros(Str(1 / b.w1.u, 0, 8)));
  StartSearchBy(a, method->kind);
}

void ReleaseBand(AppContext& a, const MouseEvent& e) {
  AnalysisState& s = a.s;
  RemoveBand(a);
  const Band b = NormalBand(s, e.x, e.y, e.surface);
  if (s.DataReady == 'y') {
    // The band acts on the phase view only: the secondary bins view does
    // not show it.
    if (!IsPhaseCurveView(s.View)) return;
    if (e.shift)
      ZoomPhaseView(a, b);
    else
      DeleteOrMark(a, b, e.ctrl);
  } else if (b.w0.inside && b.w1.inside) {
    NewPeriodRange(a, b);
  }
}

// A band on the time view: its dates and values become the window when it
// holds two observations or more.
void ReleaseTimeBand(AppContext& a, const MouseEvent& e) {
  AnalysisState& s = a.s;
  RemoveBand(a);
  const WorldPoint w0 = PlotToWorld(s, s.BandX0, s.BandY0, e.surface),
                   w1 = PlotToWorld(s, e.x, e.y, e.surface);
  if (!w0.inside || !w1.inside) return;
  const double t0 = w0.u, t1 = w1.u;
  // A band without width or height would leave an empty window.
  if (!(t0 < t1) || w0.v == w1.v) return;
  int32_t count = 0;
  for (int32_t i = 1; i <= s.NObs; ++i)
    if (t0 <= s.JD[i] && s.JD[i] <= t1) ++count;
  if (count < 2) return;
  s.JDLow = t0;
  s.JDHigh = t1;
  s.MagHigh = std::max(w0.v, w1.v);
  s.MagLow = std::min(w0.v, w1.v);
  a.p.SetStatus(CountText(count));
  a.p.SetVisible(Control::ButAllDiap, true);
  a.p.RequestRepaint();
}

void ReleaseMeanCurve(AppContext& a) {
  if (a.s.SelNode < 1) return;
  XorNodeLinks(a);
  const AnalysisState& s = a.s;
  a.p.DrawOnPlot([&s](Canvas& c) {
    c.SetPenColour(kCurveGreen);
    c.SetPenMode(PenMode::Copy);
    DrawNodeLinks(s, c, s.SelNode);
  });
  a.p.RequestRepaint();
}

bool ButtonIgnored(const AnalysisState& s, const MouseEvent& e) {
  return s.RunCode == 'r' || s.MouseOn != 'y' || e.button != MouseButton::Left;
}

}  // namespace

void PWinMouseDown(AppContext& a, const MouseEvent& e) {
  AnalysisState& s = a.s;
  if (ButtonIgnored(s, e)) return;
  s.BandX0 = e.x;
  s.BandY0 = e.y;
  if (IsSpectrumView(s.View)) {
    StartBand(a, e.x, e.y);
    return;
  }
  switch (s.View) {
    case 't':
      if (e.shift) {
        s.MirrorOn = true;
        if (const WorldPoint w = PlotToWorld(s, e.x, e.y, e.surface); w.inside) s.MirrorJD = w.u;
      } else {
        s.MirrorOn = false;
      }
      a.p.RequestRepaint();
      StartBand(a, e.x, e.y);
      break;
    case 'm':
      PressMeanCurve(a, e.x, e.y, e.surface);
      break;
    default:
      break;
  }
}

void PWinMouseMove(AppContext& a, const MouseEvent& e) {
  AnalysisState& s = a.s;
  if (s.RunCode == 'r') return;
  const WorldPoint w = PlotToWorld(s, e.x, e.y, e.surface);
  if (w.inside) {
    // On a spectrum the trial period, elsewhere the phase or date.
    const double first = s.DataReady != 'y' ? 1 / w.u : w.u;
    a.p.SetStatus(Str(first, 0, 7) + ",  " + Str(w.v, 0, 3));
  } else if (s.DataReady != 'b') {
    a.p.SetStatus("");
  }
  if (s.MouseOn != 'y' || !e.leftHeld) return;
  if (IsBandView(s.View)) {
    RemoveBand(a);
    s.BandX1 = e.x;
    s.BandY1 = e.y;
    a.p.DrawOnPlot([&s](Canvas& c) { XorBand(c, s.BandX0, s.BandY0, s.BandX1, s.BandY1); });
  } else if (s.View == 'm' && w.inside && s.SelNode >= 1) {
    XorNodeLinks(a);
    s.EditedMag[s.SelNode] = w.v;
    XorNodeLinks(a);
  }
}

void PWinMouseUp(AppContext& a, const MouseEvent& e) {
  if (ButtonIgnored(a.s, e)) return;
  if (IsSpectrumView(a.s.View)) {
    ReleaseBand(a, e);
    return;
  }
  switch (a.s.View) {
    case 't':
      ReleaseTimeBand(a, e);
      break;
    case 'm':
      ReleaseMeanCurve(a);
      break;
    default:
      break;
  }
}

void EnableMouse(AppContext& a) {
  a.s.MouseOn = 'y';
}

void UndoZoom(AppContext& a) {
  ShowWholeRange(a);
  a.p.SetStatus(CountText(a.s.NObs));
}

void PrintWindow(AppContext& a) {
  AnalysisState& s = a.s;
  s.ImageCount += 1;
  const std::string name = s.BaseName + std::to_string(s.ImageCount) + ".bmp";
  a.p.SaveWindowImage(name);
  a.p.SetStatus("File " + name + " is done...");
  a.p.StartImageViewer(name);
}

}  // namespace korvel
