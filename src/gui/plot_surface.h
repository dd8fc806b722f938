// PWin, the plot surface of the main window.
#pragma once

#include <QWidget>
#include <functional>

class QPainter;

namespace korvel::gui {

class PlotSurface : public QWidget {
  Q_OBJECT

 public:
  explicit PlotSurface(QWidget* parent);

  // Draws the current view over the blue background. Unset until the views
  // are drawn through the Canvas port; then the plotting shell sets it.
  std::function<void(QPainter&)> onPaint;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace korvel::gui
