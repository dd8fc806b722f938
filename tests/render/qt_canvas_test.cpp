// The Qt canvas: on an image it lights exactly the pixels of the shared
// raster rule (the test canvas is the reference), XOR is exact, text sits
// where the views expect it, and the vector devices get the same figures.
#include "render/qt_canvas.h"

#include <QBuffer>
#include <QFontMetrics>
#include <QPainter>
#include <QSvgGenerator>
#include <QSvgRenderer>
#include <QTest>
#include <functional>

#include "support/recording_canvas.h"

using korvel::BrushStyle;
using korvel::Canvas;
using korvel::PenMode;
using korvel::Rgb;
using korvel::render::NewPlotImage;
using korvel::render::QtCanvas;
using korvel::testing::RecordingCanvas;

namespace {

constexpr int kW = 240, kH = 160;

Rgb At(const QImage& image, int x, int y) {
  const QRgb p = image.pixel(x, y);
  return {qRed(p), qGreen(p), qBlue(p)};
}

// The first pixel where the image and the test canvas differ, as text; empty
// when every pixel agrees.
QString FirstDifference(const QImage& image, const RecordingCanvas& reference) {
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) {
      const Rgb a = At(image, x, y), b = reference.PixelAt(x, y);
      if (!(a == b))
        return QString("(%1, %2): Qt %3 %4 %5, reference %6 %7 %8")
            .arg(x)
            .arg(y)
            .arg(a.r)
            .arg(a.g)
            .arg(a.b)
            .arg(b.r)
            .arg(b.g)
            .arg(b.b);
    }
  return {};
}

// Lines in every octant, clipped ones, rectangles solid and clear, reversed
// and degenerate, pixels on and off the surface, then XOR lines and an XOR
// rectangle drawn twice: everything a picture and the mouse's figures use.
void DrawFigures(Canvas& c) {
  c.SetPenMode(PenMode::Copy);
  c.SetPenColour(korvel::kWhite);
  c.SetBrushStyle(BrushStyle::Solid);
  c.SetBrushColour(korvel::kFrameFill);
  c.Rectangle(20, 15, 200, 140);
  c.MoveTo(30, 30);
  c.LineTo(180, 47);  // shallow
  c.LineTo(60, 130);  // steep, backwards
  c.LineTo(60, 20);   // vertical, upwards
  c.LineTo(-40, 70);  // leaves the surface
  c.MoveTo(230, 150);
  c.LineTo(300, 200);  // starts inside, ends far outside
  c.MoveTo(100, 100);
  c.LineTo(100, 100);  // nothing: the end pixel is excluded
  c.MoveTo(150, 60);
  c.LineTo(151, 61);  // one pixel
  c.SetBrushColour(korvel::kBlack);
  c.Rectangle(190, 120, 150, 90);  // corners reversed
  c.SetBrushStyle(BrushStyle::Clear);
  c.SetPenColour(korvel::kCurveGreen);
  c.Rectangle(10, 5, 90, 60);
  c.Rectangle(210, 10, 211, 50);  // one pixel wide
  c.Rectangle(215, 10, 215, 50);  // empty
  c.Rectangle(-10, -10, 30, 12);  // partly off the surface
  for (int i = 0; i < 40; ++i) c.SetPixel(40 + 3 * i, 100 + i % 7, Rgb{255, i * 6, 0});
  c.SetPixel(-1, 5, korvel::kRed);
  c.SetPixel(kW, kH - 1, korvel::kRed);

  c.SetPenMode(PenMode::Xor);
  c.SetPenColour(Rgb{96, 255, 96});
  c.MoveTo(0, 150);
  c.LineTo(239, 3);  // across everything, left XORed
  c.SetBrushStyle(BrushStyle::Solid);
  c.SetBrushColour(Rgb{255, 255, 0});
  for (int twice = 0; twice < 2; ++twice) c.Rectangle(50, 40, 170, 110);
  c.SetPenColour(korvel::kWhite);
  c.Rectangle(225, 140, 260, 170);  // XOR, partly off the surface
  c.MoveTo(5, 155);
  c.LineTo(5, 155 - 30);
}

}  // namespace

class QtCanvasTest : public QObject {
  Q_OBJECT

 private slots:
  void imageHoldsExactlyThePixelsOfTheRasterRule() {
    RecordingCanvas reference(kW, kH);
    QImage image = NewPlotImage(kW, kH);
    QCOMPARE(image.format(), QImage::Format_RGB32);
    QCOMPARE(At(image, 0, 0), korvel::kWindowColour);
    {
      QtCanvas canvas(image);
      QCOMPARE(canvas.Width(), kW);
      QCOMPARE(canvas.Height(), kH);
      DrawFigures(canvas);
    }
    DrawFigures(reference);
    const QString difference = FirstDifference(image, reference);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
    // The figures did light pixels: the comparison is not of two blanks.
    QVERIFY(reference.CountPixels(korvel::kFrameFill) > 1000);
  }

  void xorFigureDrawnTwiceRestoresThePictureUnderText() {
    QImage image = NewPlotImage(kW, kH);
    QtCanvas canvas(image);
    canvas.SetBrushStyle(BrushStyle::Solid);
    canvas.SetBrushColour(korvel::kWindowColour);
    canvas.SetFontColour(korvel::kWhite);
    canvas.SetFontSize(12);
    canvas.TextOut(30, 40, "12.45 Phase");
    for (int i = 0; i < 200; ++i) canvas.SetPixel((i * 37) % kW, (i * 53) % kH, Rgb{i, 255 - i, 7});
    const QImage before = image.copy();
    auto band = [&] {
      canvas.SetPenMode(PenMode::Xor);
      canvas.SetPenColour(korvel::kWhite);
      canvas.SetBrushStyle(BrushStyle::Clear);
      canvas.Rectangle(25, 35, 140, 70);
      canvas.MoveTo(0, 0);
      canvas.LineTo(kW, kH);
    };
    band();
    QVERIFY(image != before);
    band();
    QCOMPARE(image, before);
  }

  void textStandsOnItsBoxAtItsTopLeftCorner() {
    QImage image = NewPlotImage(kW, kH);
    QtCanvas canvas(image);
    canvas.SetFontSize(12);
    canvas.SetFontColour(korvel::kWhite);
    canvas.SetBrushStyle(BrushStyle::Solid);
    canvas.SetBrushColour(korvel::kBlack);
    const std::string text = "-0.5 Mag";
    const int width = canvas.TextWidth(text);
    const int height = QFontMetrics(korvel::render::PlotFont(12)).height();
    canvas.TextOut(50, 60, text);
    int white = 0;
    for (int y = 55; y < 60 + height + 5; ++y)
      for (int x = 45; x < 50 + width + 5; ++x) {
        const bool inBox = x >= 50 && x < 50 + width && y >= 60 && y < 60 + height;
        const Rgb p = At(image, x, y);
        if (!inBox) {
          QVERIFY2(p == korvel::kWindowColour, qPrintable(QString("%1, %2").arg(x).arg(y)));
          continue;
        }
        QVERIFY(p == korvel::kBlack || p == korvel::kWhite);  // no grey edges
        if (p == korvel::kWhite) ++white;
      }
    QVERIFY(white > 20);

    // A clear brush leaves the background and draws only the glyphs.
    canvas.SetBrushStyle(BrushStyle::Clear);
    canvas.SetFontColour(korvel::kRed);
    canvas.TextOut(50, 100, text);
    int red = 0, other = 0;
    for (int y = 100; y < 100 + height; ++y)
      for (int x = 50; x < 50 + width; ++x) {
        const Rgb p = At(image, x, y);
        if (p == korvel::kRed)
          ++red;
        else if (!(p == korvel::kWindowColour))
          ++other;
      }
    QVERIFY(red > 20);
    QCOMPARE(other, 0);
  }

  void fontSizesFollowTheViewsLayout() {
    QImage image = NewPlotImage(10, 10);
    QtCanvas canvas(image);
    canvas.SetFontSize(12);
    // The label offsets of the views assume 6 pixels per character at 12
    // points.
    QCOMPARE(canvas.TextWidth("0123456789"), 60);
    QCOMPARE(canvas.TextWidth(""), 0);
    const int at12 = canvas.TextWidth("KORVEL");
    canvas.SetFontSize(20);
    QVERIFY(canvas.TextWidth("KORVEL") > at12 * 3 / 2);
    canvas.SetFontSize(8);
    QVERIFY(canvas.TextWidth("KORVEL") < at12);
    QCOMPARE(korvel::render::PlotFontPixelSize(12), 10);
    QCOMPARE(korvel::render::PlotFontPixelSize(20), 17);
    QCOMPARE(korvel::render::PlotFontPixelSize(0), 1);
    QCOMPARE(korvel::render::PlotFont(12).family(), QString("DejaVu Sans"));
  }

  void svgHoldsTheSameFramesLinesAndPoints() {
    // Axis-parallel figures and points, drawn on SVG and read back: every
    // pixel as on the image (XOR is drawn as copy there, so none is used).
    auto draw = [](Canvas& c) {
      c.SetPenColour(korvel::kWhite);
      c.SetBrushStyle(BrushStyle::Solid);
      c.SetBrushColour(korvel::kFrameFill);
      c.Rectangle(20, 15, 200, 140);
      c.MoveTo(16, 60);
      c.LineTo(22, 60);
      c.MoveTo(100, 150);
      c.LineTo(100, 130);
      for (int i = 0; i < 30; ++i) {  // point markers, and a red pixel by each
        for (int k = 0; k < 4; ++k) c.SetPixel(40 + 5 * i + k % 2, 50 + i + k / 2, korvel::kWhite);
        c.SetPixel(42 + 5 * i, 51 + i, korvel::kRed);
      }
      c.SetBrushStyle(BrushStyle::Clear);
      c.SetPenColour(korvel::kSeparatorGrey);
      c.Rectangle(150, 100, 230, 158);
    };
    QImage raster = NewPlotImage(kW, kH);
    {
      QtCanvas canvas(raster);
      draw(canvas);
    }
    QByteArray svg;
    {
      QBuffer buffer(&svg);
      buffer.open(QIODevice::WriteOnly);
      QSvgGenerator generator;
      generator.setOutputDevice(&buffer);
      generator.setSize(QSize(kW, kH));
      generator.setViewBox(QRect(0, 0, kW, kH));
      QPainter painter(&generator);
      painter.fillRect(0, 0, kW, kH, QColor(0, 128, 255));
      QtCanvas canvas(painter, kW, kH);
      draw(canvas);
    }
    QSvgRenderer renderer(svg);
    QVERIFY(renderer.isValid());
    QImage back = NewPlotImage(kW, kH);
    {
      QPainter painter(&back);
      renderer.render(&painter);
    }
    int differences = 0;
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x)
        if (back.pixel(x, y) != raster.pixel(x, y)) ++differences;
    QCOMPARE(differences, 0);
  }
};

QTEST_MAIN(QtCanvasTest)
#include "qt_canvas_test.moc"
