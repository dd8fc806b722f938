#include "gui/plot_surface.h"

#include <QPainter>

namespace korvel::gui {

PlotSurface::PlotSurface(QWidget* parent) : QWidget(parent) {
  setObjectName("PWin");
  // The blue background comes from the palette, so an empty surface needs no
  // paint code of its own.
  QPalette pal = palette();
  pal.setColor(QPalette::Window, QColor(0, 0, 255));
  setPalette(pal);
  setAutoFillBackground(true);
}

void PlotSurface::paintEvent(QPaintEvent*) {
  // The one place where the views are drawn (time, phase, spectrum, about).
  if (!onPaint) return;
  QPainter painter(this);
  onPaint(painter);
}

}  // namespace korvel::gui
