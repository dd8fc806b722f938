// The test canvas itself: every picture test trusts its raster, and the
// window's canvas is compared against it, so its pixel rule is pinned here.
#include "support/recording_canvas.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace korvel {
namespace {

using testing::CanvasOp;
using testing::RecordingCanvas;

// Window colour (0, 128, 255) XOR white.
constexpr Rgb kWindowXorWhite{255, 127, 0};

TEST(RecordingCanvas, StartsAtTheWindowColourAndReportsOutsidePixels) {
  RecordingCanvas c(20, 10);
  EXPECT_EQ(c.Width(), 20);
  EXPECT_EQ(c.Height(), 10);
  EXPECT_EQ(c.PixelAt(0, 0), kWindowColour);
  EXPECT_EQ(c.PixelAt(19, 9), kWindowColour);
  EXPECT_EQ(c.CountPixels(kWindowColour), 200);
  EXPECT_EQ(c.PixelAt(20, 0), (Rgb{-1, -1, -1}));
  EXPECT_EQ(c.PixelAt(0, -1), (Rgb{-1, -1, -1}));
  RecordingCanvas standard;
  EXPECT_EQ(standard.Width(), 734);
  EXPECT_EQ(standard.Height(), 432);
}

TEST(RecordingCanvas, LinesLeaveOutTheirEndPixel) {
  RecordingCanvas c(20, 20);
  c.SetPenColour(kWhite);
  c.MoveTo(2, 3);
  c.LineTo(6, 3);
  for (int x = 2; x <= 5; ++x) EXPECT_EQ(c.PixelAt(x, 3), kWhite) << x;
  EXPECT_EQ(c.PixelAt(6, 3), kWindowColour);
  EXPECT_EQ(c.PixelAt(1, 3), kWindowColour);
  // The diagonal continues from the end of the last line.
  c.LineTo(9, 6);
  EXPECT_EQ(c.PixelAt(6, 3), kWhite);
  EXPECT_EQ(c.PixelAt(7, 4), kWhite);
  EXPECT_EQ(c.PixelAt(8, 5), kWhite);
  EXPECT_EQ(c.PixelAt(9, 6), kWindowColour);
  EXPECT_EQ(c.CountPixels(kWhite), 7);
  // A line to the current position lights nothing.
  c.MoveTo(15, 15);
  c.LineTo(15, 15);
  EXPECT_EQ(c.PixelAt(15, 15), kWindowColour);
  EXPECT_TRUE(c.HasLine(6, 3, 9, 6));
  EXPECT_FALSE(c.HasLine(9, 6, 6, 3));
}

TEST(RecordingCanvas, RectangleEdgesLieOneInsideTheSecondCorner) {
  RecordingCanvas c(30, 30);
  c.SetPenColour(kWhite);
  c.SetBrushColour(kFrameFill);
  c.SetBrushStyle(BrushStyle::Solid);
  c.Rectangle(10, 20, 15, 24);
  // Outline x 10 .. 14, y 20 .. 23; interior x 11 .. 13, y 21 .. 22.
  EXPECT_EQ(c.PixelAt(10, 20), kWhite);
  EXPECT_EQ(c.PixelAt(14, 23), kWhite);
  EXPECT_EQ(c.PixelAt(14, 21), kWhite);
  EXPECT_EQ(c.PixelAt(15, 21), kWindowColour);
  EXPECT_EQ(c.PixelAt(12, 24), kWindowColour);
  EXPECT_EQ(c.CountPixels(kWhite), 14);
  EXPECT_EQ(c.CountPixels(kFrameFill), 6);
  EXPECT_EQ(c.CountPixels(kFrameFill, 11, 21, 14, 23), 6);

  // Corners in any order give the same pixels; a clear brush fills nothing.
  RecordingCanvas d(30, 30);
  d.SetPenColour(kWhite);
  d.SetBrushStyle(BrushStyle::Clear);
  d.Rectangle(15, 24, 10, 20);
  EXPECT_EQ(d.CountPixels(kWhite), 14);
  EXPECT_EQ(d.PixelAt(12, 22), kWindowColour);
}

TEST(RecordingCanvas, XorFiguresDrawnTwiceRestoreThePicture) {
  RecordingCanvas c(40, 40);
  c.SetPenColour(kWhite);
  c.SetBrushColour(kFrameFill);
  c.Rectangle(2, 2, 30, 30);  // a picture to draw over
  const std::vector<Rgb> before = c.Pixels();

  c.SetPenMode(PenMode::Xor);
  c.SetPenColour(kWhite);
  c.SetBrushColour(kRed);
  c.Rectangle(20, 20, 38, 35);  // across the edge of the first one
  c.MoveTo(0, 39);
  c.LineTo(39, 0);
  // Outline: pixel XOR pen, per channel; fill: pixel XOR brush.
  EXPECT_EQ(c.PixelAt(37, 25), kWindowXorWhite);
  EXPECT_EQ(c.PixelAt(32, 33), (Rgb{255, 128, 255}));  // window XOR red
  EXPECT_EQ(c.PixelAt(22, 25), (Rgb{255, 0, 255}));    // frame fill XOR red
  EXPECT_NE(c.Pixels(), before);

  c.Rectangle(20, 20, 38, 35);
  c.MoveTo(0, 39);
  c.LineTo(39, 0);
  EXPECT_EQ(c.Pixels(), before);
}

TEST(RecordingCanvas, SetPixelCopiesWhateverThePenMode) {
  RecordingCanvas c(10, 10);
  c.SetPenMode(PenMode::Xor);
  c.SetPixel(3, 4, kRed);
  c.SetPixel(3, 4, kRed);
  EXPECT_EQ(c.PixelAt(3, 4), kRed);
}

TEST(RecordingCanvas, FiguresBeyondTheBufferAreClipped) {
  RecordingCanvas c(10, 10);
  c.SetPenColour(kWhite);
  c.SetBrushColour(kFrameFill);
  c.Rectangle(-5, -5, 5, 5);  // outline x, y -5 .. 4: only its right and bottom edges show
  EXPECT_EQ(c.CountPixels(kWhite), 9);
  EXPECT_EQ(c.CountPixels(kFrameFill), 16);  // x, y 0 .. 3
  c.MoveTo(-30000, 8);
  c.LineTo(30000, 8);
  EXPECT_EQ(c.CountPixels(kWhite, 0, 8, 10, 9), 10);
  c.SetPixel(10, 3, kRed);
  c.SetPixel(-1, 3, kRed);
  EXPECT_EQ(c.CountPixels(kRed), 0);
}

TEST(RecordingCanvas, RecordsOperationsWithTheStateInForce) {
  RecordingCanvas c;
  c.SetFontSize(8);
  c.SetFontColour(kWhite);
  c.SetBrushColour(kWindowColour);
  c.TextOut(566, 194, "90per cent");
  c.SetFontSize(12);
  c.TextOut(37, 290, "0.00");
  c.SetPenColour(kCurveGreen);
  c.MoveTo(1, 2);
  c.LineTo(3, 4);

  const std::vector<CanvasOp> texts = c.Texts();
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0].state.fontSize, 8);
  EXPECT_EQ(texts[0].state.font, kWhite);
  EXPECT_EQ(texts[0].state.brush, kWindowColour);
  EXPECT_EQ(texts[1].state.fontSize, 12);
  EXPECT_EQ(c.TextsAt(566, 194), std::vector<std::string>{"90per cent"});
  EXPECT_TRUE(c.HasTextAt("0.00", 37, 290));
  EXPECT_FALSE(c.HasTextAt("0.00", 37, 291));
  const std::vector<CanvasOp> lines = c.Lines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].state.pen, kCurveGreen);
  EXPECT_EQ(lines[0].state.penMode, PenMode::Copy);
  // Text is only recorded and measures six pixels a character.
  EXPECT_EQ(c.CountPixels(kWhite), 0);
  EXPECT_EQ(c.TextWidth("-2.0"), 24);
  EXPECT_EQ(c.TextWidth(""), 0);
}

TEST(RecordingCanvas, RunawayDrawingFailsInsteadOfFillingMemory) {
  RecordingCanvas c(10, 10);
  for (size_t i = 0; i < RecordingCanvas::kMaxOps; ++i) c.SetPixel(1, 1, kRed);
  EXPECT_THROW(c.SetPixel(1, 1, kRed), std::length_error);
}

}  // namespace
}  // namespace korvel
