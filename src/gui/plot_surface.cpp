#include "gui/plot_surface.h"

#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>
#include <cmath>
#include <optional>

#include "render/qt_canvas.h"

namespace korvel::gui {

using render::NewPlotImage;
using render::QtCanvas;

namespace {

// The event as the handlers take it; nothing for buttons they do not know.
std::optional<MouseEvent> ToMouseEvent(const QMouseEvent& e, const QWidget& surface) {
  MouseEvent m;
  m.surface = {surface.width(), surface.height()};
  switch (e.button()) {
    case Qt::LeftButton:
    case Qt::NoButton:  // a move
      m.button = MouseButton::Left;
      break;
    case Qt::RightButton:
      m.button = MouseButton::Right;
      break;
    case Qt::MiddleButton:
      m.button = MouseButton::Middle;
      break;
    default:
      return std::nullopt;
  }
  m.shift = e.modifiers().testFlag(Qt::ShiftModifier);
  m.ctrl = e.modifiers().testFlag(Qt::ControlModifier);
  m.leftHeld = e.buttons().testFlag(Qt::LeftButton);
  // The pixel under the cursor, also where positions come with fractions.
  m.x = static_cast<int>(std::floor(e.position().x()));
  m.y = static_cast<int>(std::floor(e.position().y()));
  return m;
}

void Forward(const std::function<void(const MouseEvent&)>& handler, const QMouseEvent& e,
             const QWidget& surface) {
  if (!handler) return;
  if (const std::optional<MouseEvent> m = ToMouseEvent(e, surface)) handler(*m);
}

}  // namespace

PlotSurface::PlotSurface(QWidget* parent) : QWidget(parent) {
  setObjectName("PWin");
  // Every pixel comes from the picture: nothing to clear before a paint.
  setAttribute(Qt::WA_OpaquePaintEvent);
  picture_ = NewPlotImage(width(), height());
  // The read-out follows the cursor without a button held.
  setMouseTracking(true);
}

void PlotSurface::RequestFullRepaint() {
  fullRepaintPending_ = true;
  update();
}

void PlotSurface::DrawOver(const std::function<void(Canvas&)>& draw) {
  // A picture still to be drawn in full is drawn first: an XOR figure drawn
  // on the old one would otherwise be wiped, and its erasing drawing would
  // then leave it on the new one.
  if (fullRepaintPending_ || picture_.size() != size()) Render();
  {
    QtCanvas canvas(picture_);
    draw(canvas);
  }
  update();
}

void PlotSurface::Render() {
  fullRepaintPending_ = false;
  picture_ = NewPlotImage(width(), height());
  if (!paintPicture) return;
  QtCanvas canvas(picture_);
  paintPicture(canvas);
}

void PlotSurface::paintEvent(QPaintEvent* event) {
  if (fullRepaintPending_ || picture_.size() != size()) Render();
  QPainter painter(this);
  painter.drawImage(event->rect(), picture_, event->rect());
}

void PlotSurface::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  RequestFullRepaint();
}

void PlotSurface::mousePressEvent(QMouseEvent* event) {
  Forward(mouseDown, *event, *this);
}

void PlotSurface::mouseMoveEvent(QMouseEvent* event) {
  Forward(mouseMove, *event, *this);
}

void PlotSurface::mouseReleaseEvent(QMouseEvent* event) {
  Forward(mouseUp, *event, *this);
}

}  // namespace korvel::gui
