// PWin, the plot surface of the main window. It keeps the picture last drawn
// as an image: a full repaint clears it to the window colour and draws the
// whole picture into it; incremental drawing (the growing spectrum, the
// mouse's figures) draws over it; painting the widget only shows it. Mouse
// input goes, as surface pixels, to the handlers the program sets.
#pragma once

#include <QImage>
#include <QWidget>
#include <functional>

#include "app/mouse_commands.h"
#include "plot/canvas.h"

namespace korvel::gui {

class PlotSurface : public QWidget {
  Q_OBJECT

 public:
  explicit PlotSurface(QWidget* parent);

  // Draws the whole picture (the program sets it to the paint handler).
  std::function<void(Canvas&)> paintPicture;
  // The mouse on the surface (the program sets them to its handlers). Moves
  // arrive with or without a button held, for the read-out under the cursor.
  std::function<void(const MouseEvent&)> mouseDown, mouseMove, mouseUp;

  // The next showing draws the whole picture again.
  void RequestFullRepaint();
  bool FullRepaintPending() const { return fullRepaintPending_; }
  // Draws over the picture shown, without clearing it, and shows the result.
  void DrawOver(const std::function<void(Canvas&)>& draw);

  // The picture last drawn, as the surface shows it.
  const QImage& Picture() const { return picture_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void Render();

  QImage picture_;
  bool fullRepaintPending_ = true;
};

}  // namespace korvel::gui
