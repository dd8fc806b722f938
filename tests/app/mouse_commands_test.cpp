// The plot surface as a tool: the rubber band and what it does in each view,
// the read-out, the mean-curve drag, the mirror date, and Print. Every view is
// painted first, so the handlers read the geometry a real paint leaves.
//
// Observations are folded with Epoch 0 and Period 1 (phase = fraction of the
// date) over the value range 10 .. 12. Phase view on 720 x 510: frame L 80,
// T 40, R 680, B 440; PhScaleX = 2 * 600 / 3 = 400, x(phase) = 400 * phase +
// 280, y(mag) = 200 * (mag - 10) + 40. The five observations then lie at
//   1: 100.25 / 10.0 -> (380, 40)     2: 101.30 / 11.0 -> (400, 240)
//   3: 102.35 / 11.5 -> (420, 340)    4: 103.80 / 10.6 -> (600, 160), (200, 160)
//   5: 104.60 / 12.0 -> (520, 440), (120, 440)
#include "app/mouse_commands.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "io/observation_file.h"
#include "lightcurve/document_light_curve.h"
#include "lightcurve/prewhitening.h"
#include "lightcurve/stat_file.h"
#include "plot/paint.h"
#include "plot/plot_fixtures.h"
#include "support/fake_platform.h"
#include "support/recording_canvas.h"
#include "support/temp_dir.h"

namespace korvel {
namespace {

using testing::CanvasOp;
using testing::FakePlatform;
using testing::RecordingCanvas;
using Strings = std::vector<std::string>;

class MouseCommands : public ::testing::Test {
 protected:
  MouseCommands()
      : s(testing::ShownState(
            'd', {{100.25, 10.0}, {101.3, 11.0}, {102.35, 11.5}, {103.8, 10.6}, {104.6, 12.0}})) {
    s.Period = 1;
    s.Epoch = 0;
    s.MagLow = s.DataMagMin = 10;
    s.MagHigh = s.DataMagMax = 12;
    s.JDLow = 100;
    s.JDHigh = 106;
    s.Marks.assign(s.NObs + 1, 0);
    p.plotCanvas = &shown;
  }

  void Paint(int width = 720, int height = 510) {
    shown = RecordingCanvas(width, height);
    PWinPaint(s, shown, PaintSurroundings{});
  }
  static MouseEvent At(int x, int y, bool shift = false, bool ctrl = false) {
    MouseEvent e;
    e.shift = shift;
    e.ctrl = ctrl;
    e.x = x;
    e.y = y;
    return e;
  }
  void Down(int x, int y, bool shift = false, bool ctrl = false) {
    PWinMouseDown(a, At(x, y, shift, ctrl));
  }
  void Drag(int x, int y) {
    MouseEvent e = At(x, y);
    e.leftHeld = true;
    PWinMouseMove(a, e);
  }
  void Up(int x, int y, bool shift = false, bool ctrl = false) {
    PWinMouseUp(a, At(x, y, shift, ctrl));
  }
  void Band(int x0, int y0, int x1, int y1, bool shift = false, bool ctrl = false) {
    Down(x0, y0, shift, ctrl);
    Drag(x1, y1);
    Up(x1, y1, shift, ctrl);
  }
  // Elements 1 .. NObs.
  template <class V>
  static V Used(const V& v, int32_t n) {
    return V(v.begin() + 1, v.begin() + 1 + n);
  }
  void ExpectPenRestored() {
    EXPECT_EQ(shown.State().pen, kWhite);
    EXPECT_EQ(shown.State().penMode, PenMode::Copy);
    EXPECT_EQ(shown.State().brushStyle, BrushStyle::Solid);
  }

  AnalysisState s;
  FakePlatform p;
  AppContext a{s, p};
  RecordingCanvas shown;
};

TEST_F(MouseCommands, SearchMouseOffAndOtherButtonsAreIgnored) {
  Paint();
  const std::vector<Rgb> picture = shown.Pixels();
  // A band over observations 1 .. 3 would ask three times if it acted.
  s.RunCode = 'r';
  Band(370, 30, 430, 350);
  EXPECT_EQ(shown.Pixels(), picture);
  EXPECT_TRUE(p.statuses.empty());  // not even the read-out

  s.RunCode = 'n';
  s.MouseOn = 'n';
  Band(370, 30, 430, 350);
  EXPECT_EQ(shown.Pixels(), picture);
  // The read-out still works: phase (380 - 280) / 400, magnitude 10.
  PWinMouseMove(a, At(380, 40));
  EXPECT_EQ(p.LastStatus(), "0.2500000,  10.000");

  s.MouseOn = 'y';
  MouseEvent down = At(370, 30), up = At(430, 350);
  down.button = up.button = MouseButton::Right;
  PWinMouseDown(a, down);
  PWinMouseUp(a, up);
  down.button = up.button = MouseButton::Middle;
  PWinMouseDown(a, down);
  PWinMouseUp(a, up);
  EXPECT_EQ(shown.Pixels(), picture);
  EXPECT_TRUE(p.questionCaptions.empty());
  EXPECT_EQ(s.NObs, 5);
}

TEST_F(MouseCommands, BandIsAnXorRectangleThatEachMoveRedrawsAndReleaseRemoves) {
  Paint();
  const RecordingCanvas original = shown;
  shown.ClearRecord();
  Down(300, 100);
  const std::vector<CanvasOp> rects = shown.OpsOf(CanvasOp::Kind::Rectangle);
  ASSERT_EQ(rects.size(), 1u);
  EXPECT_EQ(rects[0].state.pen, kWhite);
  EXPECT_EQ(rects[0].state.penMode, PenMode::Xor);
  EXPECT_EQ(rects[0].state.brushStyle, BrushStyle::Clear);
  ExpectPenRestored();

  Drag(330, 150);
  Drag(350, 200);
  // The picture plus the last band only: each move removed the one before.
  RecordingCanvas expected = original;
  expected.SetPenColour(kWhite);
  expected.SetPenMode(PenMode::Xor);
  expected.SetBrushStyle(BrushStyle::Clear);
  expected.Rectangle(300, 100, 350, 200);
  EXPECT_EQ(shown.Pixels(), expected.Pixels());
  EXPECT_NE(shown.Pixels(), original.Pixels());
  ExpectPenRestored();

  // Released a little beside the last move: the band as drawn still goes.
  Up(353, 204);  // holds no observation
  EXPECT_EQ(shown.Pixels(), original.Pixels());
  ExpectPenRestored();
  EXPECT_TRUE(p.questionCaptions.empty());
}

TEST_F(MouseCommands, ShiftBandZoomsThePhaseViewInBothMagnitudeModes) {
  for (bool intensity : {false, true}) {
    SCOPED_TRACE(intensity ? "intensity" : "magnitude");
    s.FullRange = true;
    s.PhMin = -0.5;
    s.PhMax = 1;
    s.MagLow = 10;
    s.MagHigh = 12;
    if (intensity) ToggleMagMode(s);
    p.visible[Control::ButAllDiap] = false;
    Paint();
    // Phases (160 - 280) / 400 = -0.3 and (240 - 280) / 400 = -0.1, both
    // negative: one cycle on. Values at y 140 and 340: 10.5 and 11.5 in
    // magnitudes, 11.5 and 10.5 in intensities (12 - (y - 40) / 200).
    Band(160, 140, 240, 340, true);
    EXPECT_DOUBLE_EQ(s.PhMin, 0.7);
    EXPECT_DOUBLE_EQ(s.PhMax, 0.9);
    EXPECT_DOUBLE_EQ(s.MagLow, 10.5);
    EXPECT_DOUBLE_EQ(s.MagHigh, 11.5);
    EXPECT_FALSE(s.FullRange);
    EXPECT_TRUE(p.visible[Control::ButAllDiap]);
  }
  EXPECT_TRUE(p.questionCaptions.empty());
  EXPECT_GE(p.repaints, 2);

  // The zoomed picture (intensities, window 0.7 .. 0.9 over 10.5 .. 11.5)
  // takes observation 4 only: phase 0.8 at x = 80 + 0.1 / 0.2 * 600 = 380,
  // 10.6 at y = 40 + 400 - 0.1 * 400 = 400. A Ctrl band over the whole frame
  // marks it alone.
  Paint();
  Band(75, 35, 685, 445, false, true);
  EXPECT_EQ(Used(s.Marks, 5), (std::vector<int32_t>{0, 0, 0, 1, 0}));
  EXPECT_EQ(shown.CountPixels(kRed, 380, 400, 382, 402), 4);
}

TEST_F(MouseCommands, ShiftBandOfNoWidthOrWithACornerOffThePlotDoesNotZoom) {
  Paint();
  Band(200, 100, 200, 300, true);  // no width
  Band(160, 140, 700, 340, true);  // x 700 lies beyond the frame's margin (R + 5 = 685)
  Band(160, 140, 240, 460, true);  // y 460 lies below it (B + 5 = 445)
  EXPECT_TRUE(s.FullRange);
  EXPECT_EQ(s.PhMin, -0.5);
  EXPECT_EQ(s.PhMax, 1);
  EXPECT_EQ(s.MagLow, 10);
  EXPECT_EQ(s.MagHigh, 12);
  EXPECT_FALSE(p.visible[Control::ButAllDiap]);
  EXPECT_TRUE(p.questionCaptions.empty());
}

TEST_F(MouseCommands, PlainBandAsksOnceAndDeletesEveryObservationInsideOnYes) {
  s.Marks = {0, 0, 1, 0, 1, 0};  // observations 2 and 4 marked
  Paint();
  for (Answer answer : {Answer::No, Answer::Cancel}) {
    p.yesNoAnswers = {answer};
    Band(370, 30, 430, 350);  // observations 1, 2, 3
  }
  EXPECT_EQ(p.messages, Strings(2, "Delete 3 observations?"));
  EXPECT_EQ(p.questionCaptions, Strings(2, "Set point"));
  EXPECT_EQ(s.NObs, 5);
  EXPECT_FALSE(s.SaveAll);

  p.yesNoAnswers = {Answer::Yes};
  Band(370, 30, 430, 350);
  ASSERT_EQ(s.NObs, 2);
  EXPECT_EQ(Used(s.JD, 2), (std::vector<double>{103.8, 104.6}));
  EXPECT_EQ(Used(s.Mag, 2), (std::vector<double>{10.6, 12.0}));
  EXPECT_EQ(Used(s.Marks, 2), (std::vector<int32_t>{1, 0}));  // moved with their data
  EXPECT_TRUE(s.SaveAll);
  EXPECT_GE(p.repaints, 1);
  EXPECT_EQ(p.LastStatus(), "Deleted 3 observations; 2 remain. Ctrl+Z restores them.");
  // One of them held MagLow: the smallest remaining magnitude takes its place.
  EXPECT_EQ(s.MagLow, 10.6);
  EXPECT_EQ(s.DataMagMin, 10.6);
  EXPECT_EQ(s.MagHigh, 12);
  EXPECT_EQ(s.DataMagMax, 12);
  EXPECT_NEAR(s.MagMean, 11.3, 1e-12);
  EXPECT_NEAR(s.MagVar, 0.49, 1e-12);

  // Repainted over 10.6 .. 12, 103.8 / 10.6 lies at (600, 40): a single
  // observation is asked about by its date and magnitude.
  Paint();
  p.messages.clear();
  p.yesNoAnswers = {Answer::Yes};
  Band(590, 30, 610, 50);
  EXPECT_EQ(p.messages, Strings{"103.8,  10.6   Delete?"});
  EXPECT_EQ(Used(s.JD, s.NObs), (std::vector<double>{104.6}));
  EXPECT_EQ(s.MagLow, 12);
  EXPECT_EQ(s.DataMagMin, 12);
  EXPECT_EQ(p.LastStatus(), "Deleted 1 observation; 1 remains. Ctrl+Z restores them.");
}

TEST_F(MouseCommands, CtrlBandMarksOnlyWhatTheLastBandHoldsAndDrawsItRed) {
  Paint();
  // Left and top edges belong to the band, right and bottom ones not:
  // observation 1 on the top-left corner is in, observation 3 on the right
  // edge (x 420) is out. Drawn either way round, the band is the same.
  Band(380, 40, 420, 341, false, true);
  EXPECT_EQ(Used(s.Marks, 5), (std::vector<int32_t>{1, 1, 0, 0, 0}));
  s.Marks.assign(6, 0);
  Band(420, 341, 380, 40, false, true);
  EXPECT_EQ(Used(s.Marks, 5), (std::vector<int32_t>{1, 1, 0, 0, 0}));
  EXPECT_TRUE(s.SelMade);

  // A band around observation 4's second position (phase -0.2) replaces the
  // marks and draws it red at both its positions, over the picture.
  EXPECT_EQ(shown.PixelAt(600, 160), kWhite);
  Band(190, 150, 210, 170, false, true);
  EXPECT_EQ(Used(s.Marks, 5), (std::vector<int32_t>{0, 0, 0, 1, 0}));
  EXPECT_EQ(shown.CountPixels(kRed, 600, 160, 602, 162), 4);
  EXPECT_EQ(shown.CountPixels(kRed, 200, 160, 202, 162), 4);
  EXPECT_EQ(p.repaints, 0);
  EXPECT_TRUE(p.questionCaptions.empty());
  EXPECT_EQ(s.NObs, 5);
  // A repaint (All, a resize) still shows what Save extraction would write.
  Paint();
  EXPECT_EQ(shown.CountPixels(kRed, 600, 160, 602, 162), 4);
  EXPECT_EQ(shown.CountPixels(kRed, 380, 40, 382, 42), 0);

  // Deleting observation 1 before it keeps the mark on observation 4, so
  // Save extraction writes exactly the marked one.
  p.yesNoAnswers = {Answer::Yes};
  Band(375, 35, 385, 45);
  ASSERT_EQ(s.NObs, 4);
  const testing::TempDir dir;
  WriteMarkedObservations(s, dir.File("fragment.dat"));
  EXPECT_EQ(testing::ReadFile(dir.File("fragment.dat")), "  103.8000  10.600\r\n");
}

TEST_F(MouseCommands, BinsViewNeitherDeletesNorMarksNorZooms) {
  Paint();  // the phase geometry is there from the view before
  s.View = 's';
  s.P2 = 7;
  s.NBins = 4;
  Paint();
  const std::vector<Rgb> picture = shown.Pixels();
  p.yesNoAnswers = {Answer::Yes, Answer::Yes, Answer::Yes};
  Band(370, 30, 430, 350);
  Band(370, 30, 430, 350, false, true);
  Band(160, 140, 240, 340, true);
  EXPECT_TRUE(p.questionCaptions.empty());
  EXPECT_EQ(s.NObs, 5);
  EXPECT_EQ(Used(s.Marks, 5), (std::vector<int32_t>(5, 0)));
  EXPECT_FALSE(s.SelMade);
  EXPECT_TRUE(s.FullRange);
  EXPECT_FALSE(p.visible[Control::ButAllDiap]);
  EXPECT_EQ(shown.Pixels(), picture);  // every band removed again
}

// Time view on 700 x 530: frame L 80, T 50, R 680, B 450 over 100 .. 106 and
// 10 .. 12: TimeScaleX = 600 / 6 = 100, date 100 + (x - 80) / 100, value
// 10 + (y - 50) / 200.
TEST_F(MouseCommands, TimeViewReadOutAndStatusClearedOutsideUnlessLoading) {
  s.View = 't';
  Paint(700, 530);
  PWinMouseMove(a, At(125, 110));  // 100.45, 10.3
  EXPECT_EQ(p.LastStatus(), "100.4500000,  10.300");
  PWinMouseMove(a, At(10, 10));
  EXPECT_EQ(p.LastStatus(), "");
  s.DataReady = 'b';
  const size_t statuses = p.statuses.size();
  PWinMouseMove(a, At(10, 10));
  EXPECT_EQ(p.statuses.size(), statuses);
}

TEST_F(MouseCommands, TimeViewBandZoomsWhenItHoldsTwoObservationsOrMore) {
  s.View = 't';
  Paint(700, 530);
  Band(200, 70, 220, 390);  // 101.2 .. 101.4 holds 101.3 only
  EXPECT_EQ(s.JDLow, 100);
  EXPECT_EQ(s.JDHigh, 106);
  EXPECT_EQ(s.MagLow, 10);
  EXPECT_FALSE(p.visible[Control::ButAllDiap]);
  EXPECT_NE(p.LastStatus().rfind("Done", 0), 0u);
  // A flat band holds all five but has no magnitude range to zoom to.
  Band(100, 200, 550, 200);
  EXPECT_EQ(s.JDLow, 100);
  EXPECT_EQ(s.MagLow, 10);
  EXPECT_FALSE(p.visible[Control::ButAllDiap]);

  // 100.2 .. 104.7 holds all five; values 10 + 20 / 200 and 10 + 340 / 200.
  Band(100, 70, 550, 390);
  EXPECT_DOUBLE_EQ(s.JDLow, 100.2);
  EXPECT_DOUBLE_EQ(s.JDHigh, 104.7);
  EXPECT_DOUBLE_EQ(s.MagLow, 10.1);
  EXPECT_DOUBLE_EQ(s.MagHigh, 11.7);
  EXPECT_EQ(p.LastStatus(), "Done... Number of observations: 5");
  EXPECT_TRUE(p.visible[Control::ButAllDiap]);
  EXPECT_TRUE(p.questionCaptions.empty());

  // Undone and zoomed to 101.2 .. 104.2, which holds three: All counts the
  // whole set again.
  s.DataJDmin = 100;
  s.DataJDmax = 106;
  RunCommand(a, UndoZoom);
  Paint(700, 530);
  Band(200, 70, 500, 390);
  EXPECT_EQ(p.LastStatus(), "Done... Number of observations: 3");
  RunCommand(a, UndoZoom);
  EXPECT_EQ(s.JDLow, 100);
  EXPECT_EQ(p.LastStatus(), "Done... Number of observations: 5");
  EXPECT_FALSE(p.visible[Control::ButAllDiap]);
}

TEST_F(MouseCommands, TimeViewShiftClickSetsTheMirrorDateWithoutZooming) {
  s.View = 't';
  Paint(700, 530);
  Down(135, 200, true);  // date 100.55
  Up(135, 200, true);
  EXPECT_TRUE(s.MirrorOn);
  EXPECT_DOUBLE_EQ(s.MirrorJD, 100.55);
  EXPECT_GE(p.repaints, 1);
  EXPECT_EQ(s.JDLow, 100);
  EXPECT_EQ(s.JDHigh, 106);
  EXPECT_FALSE(p.visible[Control::ButAllDiap]);

  Down(300, 200);
  Up(300, 200);
  EXPECT_FALSE(s.MirrorOn);
}

// Spectrum over frequencies 0.2 .. 0.68: u = 0.2 + (x - 80) / 1000, statistic
// (300 - y) / 250.
TEST_F(MouseCommands, SpectrumBandBecomesThePeriodRangeOfTheViewsSearch) {
  s.DataReady = 'n';
  s.RunCode = 'e';
  s.View = 'l';
  s.Pmin = 1 / 0.68;
  s.Pmax = 5;
  s.FreqLo = s.AxisFreqLo = s.AxisFirst = 0.2;
  s.FreqHi = s.AxisFreqHi = 0.68;
  s.FreqScale = 1000;
  s.AxisStep = 0.05;
  s.SpecMin = 0;
  s.SpecMax = 1;
  Paint();
  PWinMouseMove(a, At(130, 100));  // frequency 0.25: the period 4
  EXPECT_EQ(p.LastStatus(), "4.0000000,  0.800");

  for (char view : {'l', 'd'}) {
    s.View = view;
    p.texts.clear();
    Band(130, 100, 380, 200);  // frequencies 0.25 .. 0.5
    EXPECT_EQ(p.texts[Control::LK_Pmax], "4.0") << view;
    EXPECT_EQ(p.texts[Control::LK_Pmin], "2.0") << view;
  }
  EXPECT_EQ(p.dialogsShown, (std::vector<Dialog>{Dialog::LK, Dialog::LK}));

  s.View = 's';
  Band(380, 200, 130, 100);  // the other way round
  EXPECT_EQ(p.texts[Control::SecP_Pmax], "4.0");
  EXPECT_EQ(p.texts[Control::SecP_Pmin], "2.0");
  EXPECT_EQ(p.dialogsShown.back(), Dialog::SecP);

  p.texts.clear();
  Band(130, 100, 600, 200);  // released right of the frame
  EXPECT_TRUE(p.texts.empty());
  EXPECT_EQ(p.dialogsShown.size(), 3u);
}

// Mean curve on 720 x 490: frame L 80, T 30, R 680, B 430; phase
// 1.5 * (x - 80) / 600, value 10 + (y - 30) / 200.
TEST_F(MouseCommands, MeanCurvePointIsPickedDraggedAndLeftWhereReleased) {
  s.View = 'm';
  s.WaveState = 'd';
  s.MeanPoints = 4;
  s.MeanMagLow = 10;
  s.MeanMagHigh = 12;
  const double phases[] = {0.125, 0.375, 0.625, 0.875}, mags[] = {10.5, 11, 11.5, 11};
  for (int k = 1; k <= 4; ++k) {
    s.MeanPhase[k] = phases[k - 1];
    s.MeanMag[k] = s.EditedMag[k] = mags[k - 1];
  }
  Paint(720, 490);
  // Phase 1.1 folds to 0.1: point 1 (0.125), not point 4 (0.875).
  Down(520, 200);
  EXPECT_EQ(s.SelNode, 1);
  EXPECT_EQ(s.WaveState, 'f');
  Drag(500, 150);  // value 10.6
  EXPECT_DOUBLE_EQ(s.EditedMag[1], 10.6);
  const int repaints = p.repaints;
  Up(500, 150);
  EXPECT_EQ(p.repaints, repaints + 1);
  EXPECT_DOUBLE_EQ(s.EditedMag[1], 10.6);

  Down(240, 200);  // phase 0.4: point 2
  EXPECT_EQ(s.SelNode, 2);
  Up(240, 200);

  Down(50, 200);  // left of the frame
  EXPECT_EQ(s.SelNode, -1);
  Drag(240, 100);
  Up(240, 100);
  EXPECT_DOUBLE_EQ(s.EditedMag[1], 10.6);
  EXPECT_EQ(s.EditedMag[2], 11);
  EXPECT_EQ(s.EditedMag[3], 11.5);
  EXPECT_EQ(s.EditedMag[4], 11);

  // Prewhitening subtracts the dragged curve: observation 1 at phase 0.25
  // lies halfway between 10.6 (phase 0.125) and 11 (0.375).
  Prewhiten(s, "", true);
  EXPECT_NEAR(s.Mag[1], 10.0 - 10.8, 1e-9);
}

TEST_F(MouseCommands, PrintNumbersTheImagesAndReportsAFailedSave) {
  RunCommand(a, PrintWindow);
  RunCommand(a, PrintWindow);
  EXPECT_EQ(p.savedImages, (Strings{"1.bmp", "2.bmp"}));
  EXPECT_EQ(p.viewersStarted, (Strings{"1.bmp", "2.bmp"}));
  EXPECT_EQ(p.statuses, (Strings{"File 1.bmp is done...", "File 2.bmp is done..."}));

  p.saveImageError = "Cannot create 3.bmp";
  RunCommand(a, PrintWindow);
  EXPECT_EQ(p.messages, Strings{"Cannot create 3.bmp"});
  EXPECT_EQ(p.viewersStarted.size(), 2u);
  EXPECT_EQ(p.statuses.size(), 2u);

  AnalysisState loaded;
  loaded.BaseName = "dir/star";
  FakePlatform q;
  AppContext b{loaded, q};
  RunCommand(b, PrintWindow);
  EXPECT_EQ(q.savedImages, Strings{"dir/star1.bmp"});
  EXPECT_EQ(q.LastStatus(), "File dir/star1.bmp is done...");
  EXPECT_EQ(q.viewersStarted, Strings{"dir/star1.bmp"});
}

}  // namespace
}  // namespace korvel
