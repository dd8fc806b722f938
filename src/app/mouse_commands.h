// The plot surface as a tool: the rubber band and what it does in each view
// (zoom, delete, mark, a new period range from a spectrum), the read-out of
// the data under the cursor, dragging a point of the mean curve, the mirror
// date of the time view; and Print.
#pragma once

#include <cstdint>

#include "app/app_context.h"
#include "plot/spectrum_geometry.h"

namespace korvel {

enum class MouseButton { Left, Right, Middle };

// One mouse event on the plot surface, in surface pixels.
struct MouseEvent {
  MouseButton button = MouseButton::Left;
  bool shift = false, ctrl = false;
  bool leftHeld = false;  // the left button is down (during a move)
  int x = 0, y = 0;
  // The plot surface's size, which places the spectrum's frame.
  SurfaceSize surface;
};

void PWinMouseDown(AppContext& a, const MouseEvent& e);
void PWinMouseMove(AppContext& a, const MouseEvent& e);
void PWinMouseUp(AppContext& a, const MouseEvent& e);
void EnableMouse(AppContext& a);
// The All button: the zoom undone, and the status line counts the whole set
// again, as it counted the zoomed window.
void UndoZoom(AppContext& a);

// Print: the window's picture to BaseName + ImageCount + ".bmp", then the
// image viewer.
void PrintWindow(AppContext& a);

}  // namespace korvel
