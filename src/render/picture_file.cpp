#include "render/picture_file.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <memory>
#include <new>
#include <string_view>

#include "io/output_file.h"
#include "plot/paint.h"
#include "render/qt_canvas.h"

namespace korvel::render {

namespace {

// A headless application for a program that has none (korvel-batch): text
// needs the font database, and no display may be required.
std::unique_ptr<QGuiApplication> HeadlessApplication() {
  // A command-line run as root has no XDG runtime directory, and needs none:
  // Qt's notice about it would only clutter the command's output.
  static const QtMessageHandler previous = qInstallMessageHandler(
      [](QtMsgType type, const QMessageLogContext& context, const QString& message) {
        if (message.startsWith("QStandardPaths: XDG_RUNTIME_DIR not set")) return;
        if (previous) previous(type, context, message);
      });
  static int argc = 3;
  static char name[] = "korvel-batch", option[] = "-platform", platform[] = "offscreen";
  static char* argv[] = {name, option, platform, nullptr};
  return std::make_unique<QGuiApplication>(argc, argv);
}

PaintSurroundings FileSurroundings() {
  PaintSurroundings env;
  env.setStatus = [](const std::string&) {};
  // A file always holds the whole picture, never only a running curve.
  env.mainWindowActive = false;
  return env;
}

// Draws on a vector device: the window colour first, as the window clears
// its surface, then the picture.
void PaintVector(QPaintDevice& device, AnalysisState& s, int width, int height) {
  QPainter painter(&device);
  painter.fillRect(0, 0, width, height, QColor(kWindowColour.r, kWindowColour.g, kWindowColour.b));
  QtCanvas canvas(painter, width, height);
  PWinPaint(s, canvas, FileSurroundings());
}

QByteArray Encode(AnalysisState& s, PictureFormat format, int width, int height) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  switch (format) {
    case PictureFormat::Png:
    case PictureFormat::Bmp: {
      QImage image = NewPlotImage(width, height);
      // Qt gives a null image, not an exception, when the pixels cannot be had.
      if (image.isNull()) throw std::bad_alloc();
      {
        QtCanvas canvas(image);
        PWinPaint(s, canvas, FileSurroundings());
      }
      if (!image.save(&buffer, format == PictureFormat::Png ? "PNG" : "BMP")) return {};
      break;
    }
    case PictureFormat::Svg: {
      QSvgGenerator svg;
      svg.setOutputDevice(&buffer);
      svg.setSize(QSize(width, height));
      svg.setViewBox(QRect(0, 0, width, height));
      svg.setResolution(96);
      svg.setTitle("KORVEL");
      PaintVector(svg, s, width, height);
      break;
    }
    case PictureFormat::Pdf: {
      // One page of the picture's size at 96 dots per inch, without margins,
      // so that a pixel of the picture is a unit of the painter.
      QPdfWriter pdf(&buffer);
      pdf.setResolution(96);
      pdf.setPageSize(QPageSize(QSizeF(width * 72.0 / 96, height * 72.0 / 96), QPageSize::Point,
                                QString(), QPageSize::ExactMatch));
      pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
      pdf.setTitle("KORVEL");
      PaintVector(pdf, s, width, height);
      break;
    }
  }
  return bytes;
}

}  // namespace

std::optional<std::string> RenderPicture(AnalysisState& s, const std::string& path, int width,
                                         int height) {
  if (auto problem = PictureProblem(path, width, height)) return problem;
  const PictureFormat format = *PictureFormatOf(path);

  // Declared first, so that it outlives every image, font and painter.
  std::unique_ptr<QGuiApplication> headless;
  if (!QCoreApplication::instance())
    headless = HeadlessApplication();
  else if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
    return "Pictures need a graphical application object...";

  const QByteArray bytes = Encode(s, format, width, height);
  if (bytes.isEmpty()) return "The picture could not be encoded: " + path;
  try {
    WriteWholeFile(path, std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
  } catch (const FileError& e) {
    return "Could not write " + path + ": " + e.Reason();
  }
  return std::nullopt;
}

}  // namespace korvel::render
