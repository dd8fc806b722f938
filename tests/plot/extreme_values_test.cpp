// Values no picture can place: empty ranges, dates and magnitudes far outside
// normal values, NaN and infinite elements, and ranges so huge that adding a
// tick step no longer changes them. Every view must still draw its frame and
// titles, end, and hand the canvas only coordinates it can take (clamped).
#include <gtest/gtest.h>
#include <unistd.h>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "core/nice_steps.h"
#include "io/param_file.h"
#include "plot/axes.h"
#include "plot/paint.h"
#include "support/recording_canvas.h"

namespace korvel {
namespace {

using testing::CanvasOp;
using testing::RecordingCanvas;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

struct DataSet {
  const char* name;
  std::vector<double> jd, mag;  // element 0 unused
  double jdLow, jdHigh, magLow, magHigh;
};

const std::vector<DataSet>& DataSets() {
  static const std::vector<DataSet> sets = {
      {"one observation", {0, 100}, {0, 11}, 100, 100, 11, 11},
      {"constant magnitudes", {0, 100, 101, 102}, {0, 11, 11, 11}, 100, 102, 11, 11},
      {"no observations", {0}, {0}, 0, 0, 0, 0},
      {"huge magnitudes", {0, 100, 100.5, 101}, {0, 1e300, -1e300, 11}, 100, 101, -1e300, 1e300},
      {"huge equal magnitudes", {0, 100, 101}, {0, 1e300, 1e300}, 100, 101, 1e300, 1e300},
      {"dates up to 1e16", {0, 100, 1e16}, {0, 10, 12}, 100, 1e16, 10, 12},
      {"equal dates at 1e16", {0, 1e16, 1e16}, {0, 10, 11}, 1e16, 1e16, 10, 11},
      {"huge dates", {0, -1e300, 1e300}, {0, 10, 11}, -1e300, 1e300, 10, 11},
      {"magnitudes near 1e16", {0, 100, 101}, {0, 1e16, 1e16 + 4}, 100, 101, 1e16, 1e16 + 4},
      {"NaN and inf elements",
       {0, 100, kNaN, 101, kInf, -kInf},
       {0, 11, 12, kNaN, kInf, 10},
       100,
       101,
       10,
       12},
      {"NaN ranges", {0, 100, 101}, {0, 10, 11}, kNaN, kNaN, kNaN, kNaN},
      {"infinite ranges", {0, 100, 101}, {0, 10, 11}, -kInf, kInf, -kInf, kInf},
  };
  return sets;
}

AnalysisState StateOf(const DataSet& d, char view) {
  AnalysisState s;
  SetParameterDefaults(s);
  s.View = view;
  s.DataReady = 'y';
  s.RecentMark = 'r';
  s.JD = d.jd;
  s.Mag = d.mag;
  s.NObs = static_cast<int32_t>(d.jd.size()) - 1;
  s.Phase.assign(d.jd.size(), 0);
  s.JDLow = d.jdLow;
  s.JDHigh = d.jdHigh;
  s.MagLow = d.magLow;
  s.MagHigh = d.magHigh;
  s.Period = 0.3;
  s.Epoch = 0;
  s.P2 = 5;
  s.ExtrDate = 0;
  s.NBins = 4;
  s.MirrorOn = true;
  s.MirrorJD = 100.5;
  return s;
}

// The texts each view always writes: its value-axis title and its abscissa title.
std::vector<std::string> Titles(char view) {
  switch (view) {
    case 't':
      return {"Mag", "JD"};
    case 's':
      return {"Mag", "Bin number of the secondary period phase"};
    default:
      return {"Mag", "Phase"};
  }
}

bool ReadsAsANumberThatIsNot(const std::string& text) {
  std::string lower;
  for (unsigned char ch : text) lower += static_cast<char>(std::tolower(ch));
  return lower.find("nan") != std::string::npos || lower.find("inf") != std::string::npos;
}

// A clamped coordinate may still carry a fixed offset (a marker's second
// pixel, a label beside its tick), never more than a surface's size.
constexpr int kCoordinateBound = kPixelLimit + 1000;

// What went wrong in the child process below, one line per problem; the
// parent shows it when the child fails.
class Problems {
 public:
  void Expect(bool ok, const std::string& what, const std::string& problem) {
    if (!ok) text_ += what + ": " + problem + "\n";
  }
  const std::string& Text() const { return text_; }

 private:
  std::string text_;
};

// Paints the state, naming the case first so that a case that never ends is
// known, and checks what every picture must be: a frame, coordinates the
// canvas can take, bounded tick loops and no label made of NaN or inf.
RecordingCanvas PaintChecked(AnalysisState& s, Problems& p, const std::string& what) {
  std::fprintf(stderr, "painting %s\n", what.c_str());
  RecordingCanvas c;
  PaintSurroundings env;
  env.setStatus = [](const std::string&) {};
  PWinPaint(s, c, env);
  p.Expect(!c.OpsOf(CanvasOp::Kind::Rectangle).empty(), what, "no frame");
  p.Expect(c.MaxAbsCoordinate() <= kCoordinateBound, what,
           "coordinate " + std::to_string(c.MaxAbsCoordinate()));
  p.Expect(c.ops.size() < size_t{12 * kMaxTicks}, what,
           std::to_string(c.ops.size()) + " operations");
  for (const CanvasOp& op : c.Texts())
    p.Expect(!ReadsAsANumberThatIsNot(op.text), what, "label \"" + op.text + "\"");
  return c;
}

void ExpectTitles(const RecordingCanvas& c, Problems& p, const std::string& what,
                  const std::vector<std::string>& titles) {
  for (const std::string& title : titles)
    p.Expect(c.HasText(title), what, "no title \"" + title + "\"");
}

// Runs the checks in a child process, so that a paint that never ends fails
// its own test (the alarm ends it after a minute, far beyond any real paint)
// instead of stopping the whole run.
template <class F>
void ExpectEndsCleanly(F&& checks) {
  EXPECT_EXIT(
      {
        alarm(60);
        Problems p;
        checks(p);
        std::fputs(p.Text().c_str(), stderr);
        std::exit(p.Text().empty() ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST(ExtremeValues, EveryLightCurveViewDrawsFrameAndTitlesAndStaysOnTheSurface) {
  ExpectEndsCleanly([](Problems& p) {
    for (const DataSet& d : DataSets())
      for (char view : {'t', 'd', 'l', 's', 'n'}) {
        const std::string what = std::string(d.name) + ", view " + view;
        AnalysisState s = StateOf(d, view);
        const RecordingCanvas c = PaintChecked(s, p, what);
        ExpectTitles(c, p, what, Titles(view));
        p.Expect(std::isfinite(s.SpecYScale), what, "SpecYScale not finite");
        if (view == 't') p.Expect(std::isfinite(s.TimeScaleX), what, "TimeScaleX not finite");
      }
  });
}

TEST(ExtremeValues, ZoomedPhaseWindowWithUnplaceableValues) {
  ExpectEndsCleanly([](Problems& p) {
    for (const DataSet& d : DataSets()) {
      AnalysisState s = StateOf(d, 'd');
      s.FullRange = false;
      s.PhMin = -0.2;
      s.PhMax = 0.2;
      ExpectTitles(PaintChecked(s, p, d.name), p, d.name, {"Mag", "Phase"});
    }
  });
}

TEST(ExtremeValues, ZoomedPhaseWindowsThatCannotBeDrawn) {
  ExpectEndsCleanly([](Problems& p) {
    // An empty, reversed, huge or NaN window: the phase ticks run over
    // trunc(PhMin / step) .. trunc(PhMax / step) and must stay bounded.
    for (const auto& [low, high] : std::vector<std::pair<double, double>>{{0.3, 0.3},
                                                                          {0.5, 0.2},
                                                                          {-1e300, 1e300},
                                                                          {1e300, 1e300},
                                                                          {kNaN, kNaN},
                                                                          {-kInf, kInf}}) {
      std::ostringstream what;
      what << "phase window " << low << " .. " << high;
      AnalysisState s = StateOf(DataSets()[3], 'd');
      s.FullRange = false;
      s.PhMin = low;
      s.PhMax = high;
      ExpectTitles(PaintChecked(s, p, what.str()), p, what.str(), {"Mag", "Phase"});
    }
  });
}

TEST(ExtremeValues, ElementsNoDialogWouldAcceptStillDrawBoundedPictures) {
  ExpectEndsCleanly([](Problems& p) {
    // A condition file or a cancelled dialog can leave these behind; the views
    // divide by Period, P2 and NBins. A huge number of bins is accepted by the
    // dialog itself and must not mean as many ticks.
    struct ElementCase {
      const char* name;
      double period, p2;
      int32_t nbins;
    };
    for (const ElementCase& e :
         {ElementCase{"two thousand million bins", 0.3, 5, 2000000000},
          ElementCase{"no bins", 0.3, 5, 0}, ElementCase{"negative bins", 0.3, 5, -5},
          ElementCase{"zero periods", 0, 0, 4}, ElementCase{"tiny periods", 1e-300, 1e-300, 4}})
      for (char view : {'d', 's', 'n'}) {
        const std::string what = std::string(e.name) + ", view " + view;
        AnalysisState s = StateOf(DataSets()[3], view);
        s.Period = e.period;
        s.P2 = e.p2;
        s.NBins = e.nbins;
        ExpectTitles(PaintChecked(s, p, what), p, what, Titles(view));
      }
  });
}

TEST(ExtremeValues, ModelOfACollectingFileOverUnplaceableDates) {
  ExpectEndsCleanly([](Problems& p) {
    for (const DataSet& d : DataSets()) {
      AnalysisState s = StateOf(d, 't');
      s.MLCLoaded = true;
      s.MLCCurves = 1;
      s.MLCCount = {0, 2};
      s.MLCPeriod = {0, 0.5};
      s.MLCEpoch = {0, 0};
      s.MLCPhase = {{}, {0, 0.2, 0.7}};
      s.MLCMag = {{}, {0, 10.5, 11.5}};
      ExpectTitles(PaintChecked(s, p, d.name), p, d.name, Titles('t'));
    }
  });
}

TEST(ExtremeValues, MeanCurveViewWithEmptyHugeAndNaNRanges) {
  ExpectEndsCleanly([](Problems& p) {
    struct MeanCase {
      const char* name;
      double mag, magErr, phase, low, high;
    };
    for (const MeanCase& m : {MeanCase{"one point without error", 11, 0, 0.3, 11, 11},
                              MeanCase{"huge range", 1e300, 0, 0.3, -1e300, 1e300},
                              MeanCase{"huge error", 11, 1e300, 0.3, 11 - 1e300, 11 + 1e300},
                              MeanCase{"NaN point", kNaN, kNaN, kNaN, kNaN, kNaN},
                              MeanCase{"infinite range", 11, 0, 0.3, -kInf, kInf}}) {
      AnalysisState s;
      SetParameterDefaults(s);
      s.View = 'm';
      s.DataReady = 'y';
      s.MeanPoints = 1;
      s.MeanPhase[1] = m.phase;
      s.MeanMag[1] = s.EditedMag[1] = m.mag;
      s.MeanMagErr[1] = m.magErr;
      s.MeanPhaseErr[1] = 0.01;
      s.MeanMagLow = m.low;
      s.MeanMagHigh = m.high;
      s.Period = 0.3;
      ExpectTitles(PaintChecked(s, p, m.name), p, m.name, {"Mag", "Phase"});
      p.Expect(std::isfinite(s.SpecYScale), m.name, "SpecYScale not finite");
    }
  });
}

TEST(ExtremeValues, SpectrumWithUnplaceableStatisticOrFrequencies) {
  ExpectEndsCleanly([](Problems& p) {
    struct SpectrumCase {
      const char* name;
      double pmin, pmax, specMin, specMax, column;
    };
    for (const SpectrumCase& k : {
             SpectrumCase{"huge statistic range", 1, 2, -1e300, 1e300, 1e300},
             SpectrumCase{"huge equal statistic", 1, 2, 1e300, 1e300, 1e300},
             SpectrumCase{"statistic near 1e16", 1, 2, 1e16, 1e16 + 4, 1e16 + 2},
             SpectrumCase{"NaN statistic", 1, 2, kNaN, kNaN, kNaN},
             SpectrumCase{"infinite statistic", 1, 2, -kInf, kInf, kInf},
             SpectrumCase{"NaN column", 1, 2, 0, 1, kNaN},
             // A minimum period of 1e-300 passes the dialog: frequencies up to 1e300.
             SpectrumCase{"tiny minimum period", 1e-300, 2, 0, 1, 0.5},
             SpectrumCase{"periods one ulp apart", 1, 1 + 2.3e-16, 0, 1, 0.5},
         }) {
      AnalysisState s;
      SetParameterDefaults(s);
      s.View = 'd';
      s.DataReady = 'n';
      s.RunCode = 'e';
      s.Pmin = k.pmin;
      s.Pmax = k.pmax;
      // The frequency axis as the dialogs set it up (1 / Pmax .. 1 / Pmin,
      // a step from the table, the first tick a multiple of it).
      s.FreqLo = s.AxisFreqLo = 1 / k.pmax;
      s.FreqHi = s.AxisFreqHi = 1 / k.pmin;
      s.FreqScale = 480 / (s.FreqHi - s.FreqLo);
      s.AxisStep = ChooseStep(s.FreqHi - s.FreqLo).step;
      s.AxisFirst = std::trunc(s.FreqLo / s.AxisStep) * s.AxisStep;
      s.SpecMin = k.specMin;
      s.SpecMax = k.specMax;
      for (int i = 0; i <= 480; i += 3) s.SpecLow[i] = s.SpecHigh[i] = k.column;
      s.StatLoaded = s.StatFromFile = true;
      s.SigLevel = {0, k.column, kNaN, 1e300, -1e300};
      const RecordingCanvas c = PaintChecked(s, p, k.name);
      p.Expect(c.HasTextAt("Parameter", 5, 22), k.name, "no title Parameter");
      p.Expect(c.HasTextAt("Frequency, cycles per day", 380, 332), k.name, "no frequency title");
      p.Expect(std::isfinite(s.SpecYScale), k.name, "SpecYScale not finite");
    }
  });
}

}  // namespace
}  // namespace korvel
