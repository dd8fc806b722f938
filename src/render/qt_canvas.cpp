#include "render/qt_canvas.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPen>
#include <algorithm>

#include "plot/raster.h"

namespace korvel::render {

namespace {

// 96 dots per inch in dots per metre.
constexpr int kDotsPerMeter = 3780;

int Channel(int32_t v) {
  return std::clamp<int32_t>(v, 0, 255);
}

QColor ToQColor(Rgb c) {
  return QColor(Channel(c.r), Channel(c.g), Channel(c.b));
}

QRgb ToQRgb(Rgb c) {
  return qRgb(Channel(c.r), Channel(c.g), Channel(c.b));
}

}  // namespace

int PlotFontPixelSize(int points) {
  return std::max(1, (points * 5 + 3) / 6);
}

QFont PlotFont(int points) {
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(PlotFontPixelSize(points));
  // Whole-pixel glyphs without grey edges: the window and a file render the
  // same pixels whatever the display's font settings, and XOR figures drawn
  // over text still restore it exactly.
  font.setStyleStrategy(QFont::NoAntialias);
  font.setHintingPreference(QFont::PreferFullHinting);
  return font;
}

QImage NewPlotImage(int width, int height) {
  QImage image(std::max(width, 1), std::max(height, 1), QImage::Format_RGB32);
  image.setDotsPerMeterX(kDotsPerMeter);
  image.setDotsPerMeterY(kDotsPerMeter);
  image.fill(ToQColor(kWindowColour));
  return image;
}

QtCanvas::QtCanvas(QImage& image)
    : image_(&image), width_(image.width()), height_(image.height()), font_(PlotFont(12)) {
  // Pixels are written as 32-bit RGB words.
  if (image.format() != QImage::Format_RGB32) image = image.convertToFormat(QImage::Format_RGB32);
}

QtCanvas::QtCanvas(QPainter& painter, int width, int height)
    : painter_(&painter), width_(width), height_(height), font_(PlotFont(12)) {
  painter_->setRenderHint(QPainter::Antialiasing, false);
  painter_->setClipRect(0, 0, width_, height_);
}

QtCanvas::~QtCanvas() {
  Flush();
}

void QtCanvas::SetFontSize(int points) {
  font_ = PlotFont(points);
}

void QtCanvas::MoveTo(int x, int y) {
  curX_ = x;
  curY_ = y;
}

void QtCanvas::LineTo(int x, int y) {
  const int x1 = curX_, y1 = curY_;
  curX_ = x;
  curY_ = y;
  if (image_) {
    ForEachLinePixel(x1, y1, x, y, [&](int px, int py) { Plot(px, py, pen_, penMode_); });
    return;
  }
  // The pixels of the raster rule from the first to the last lit one, the
  // end pixel excluded as on the image.
  int lastX = x1, lastY = y1, count = 0;
  ForEachLinePixel(x1, y1, x, y, [&](int px, int py) {
    lastX = px;
    lastY = py;
    ++count;
  });
  if (count == 0) return;
  if (count == 1) {
    if (x1 >= 0 && y1 >= 0 && x1 < width_ && y1 < height_) QueuePixel(x1, y1, pen_);
    return;
  }
  QPainterPath& path = Queue(Pending::Stroke, pen_);
  path.moveTo(x1 + 0.5, y1 + 0.5);
  path.lineTo(lastX + 0.5, lastY + 0.5);
}

void QtCanvas::Rectangle(int x1, int y1, int x2, int y2) {
  const PixelRect r = NormalRect(x1, y1, x2, y2);
  if (r.Empty()) return;
  const bool fill = brushStyle_ == BrushStyle::Solid;
  if (image_) {
    if (fill)
      ForEachInteriorPixel(r, width_, height_,
                           [&](int px, int py) { Plot(px, py, brush_, penMode_); });
    ForEachOutlinePixel(r, [&](int px, int py) { Plot(px, py, pen_, penMode_); });
    return;
  }
  Flush();
  if (fill && r.right - r.left > 1 && r.bottom - r.top > 1)
    painter_->fillRect(r.left + 1, r.top + 1, r.right - r.left - 1, r.bottom - r.top - 1,
                       ToQColor(brush_));
  // The outline as the rows and columns of its pixels: exact in any viewer,
  // corners included.
  const QColor pen = ToQColor(pen_);
  const int w = r.right - r.left + 1, h = r.bottom - r.top + 1;
  painter_->fillRect(r.left, r.top, w, 1, pen);
  if (h > 1) painter_->fillRect(r.left, r.bottom, w, 1, pen);
  if (h > 2) {
    painter_->fillRect(r.left, r.top + 1, 1, h - 2, pen);
    if (w > 1) painter_->fillRect(r.right, r.top + 1, 1, h - 2, pen);
  }
}

void QtCanvas::SetPixel(int x, int y, Rgb colour) {
  if (image_) {
    Plot(x, y, colour, PenMode::Copy);
    return;
  }
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  QueuePixel(x, y, colour);
}

void QtCanvas::TextOut(int x, int y, const std::string& text) {
  const QString s = QString::fromStdString(text);
  const QFontMetrics metrics(font_);
  auto draw = [&](QPainter& p) {
    if (brushStyle_ == BrushStyle::Solid)
      p.fillRect(x, y, metrics.horizontalAdvance(s), metrics.height(), ToQColor(brush_));
    p.setFont(font_);
    p.setPen(ToQColor(fontColour_));
    p.drawText(x, y + metrics.ascent(), s);
  };
  if (image_) {
    QPainter p(image_);
    draw(p);
    return;
  }
  Flush();
  draw(*painter_);
}

int QtCanvas::TextWidth(const std::string& text) {
  return QFontMetrics(font_).horizontalAdvance(QString::fromStdString(text));
}

void QtCanvas::Plot(int x, int y, Rgb colour, PenMode mode) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  auto* pixel = reinterpret_cast<QRgb*>(image_->scanLine(y)) + x;
  if (mode == PenMode::Xor)
    *pixel ^= ToQRgb(colour) & 0x00ffffffu;
  else
    *pixel = ToQRgb(colour);
}

QPainterPath& QtCanvas::Queue(Pending kind, Rgb colour) {
  if (kind != pending_ || !(colour == pendingColour_)) {
    Flush();
    pending_ = kind;
    pendingColour_ = colour;
    // Pixels set twice must stay filled, which the even-odd rule would undo.
    pendingPath_.setFillRule(Qt::WindingFill);
  }
  return pendingPath_;
}

void QtCanvas::QueuePixel(int x, int y, Rgb colour) {
  Queue(Pending::Fill, colour);
  std::vector<QRect>& rects = pendingPixels_;
  if (!rects.empty()) {
    QRect& last = rects.back();
    if (last.height() == 1 && last.y() == y && last.right() + 1 == x) {
      last.setRight(x);
      if (rects.size() >= 2) {
        QRect& above = rects[rects.size() - 2];
        if (above.left() == last.left() && above.right() == last.right() &&
            above.bottom() + 1 == last.top()) {
          above.setBottom(last.bottom());
          rects.pop_back();
        }
      }
      return;
    }
  }
  rects.emplace_back(x, y, 1, 1);
}

void QtCanvas::Flush() {
  if (pending_ == Pending::Fill) {
    for (const QRect& r : pendingPixels_) pendingPath_.addRect(r);
    painter_->fillPath(pendingPath_, ToQColor(pendingColour_));
  } else if (pending_ == Pending::Stroke) {
    painter_->strokePath(pendingPath_, QPen(ToQColor(pendingColour_), 1, Qt::SolidLine,
                                            Qt::SquareCap, Qt::MiterJoin));
  }
  pending_ = Pending::None;
  pendingPath_ = QPainterPath();
  pendingPixels_.clear();
}

}  // namespace korvel::render
