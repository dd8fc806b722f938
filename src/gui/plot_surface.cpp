#include "gui/plot_surface.h"

#include <QPainter>
#include <QResizeEvent>

#include "gui/qt_canvas.h"

namespace korvel::gui {

PlotSurface::PlotSurface(QWidget* parent) : QWidget(parent) {
  setObjectName("PWin");
  // Every pixel comes from the picture: nothing to clear before a paint.
  setAttribute(Qt::WA_OpaquePaintEvent);
  picture_ = NewPlotImage(width(), height());
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

}  // namespace korvel::gui
