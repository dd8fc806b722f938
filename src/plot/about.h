// The About page of the plot surface.
#pragma once

#include "plot/canvas.h"

namespace korvel {

void DrawAbout(Canvas& c);

}  // namespace korvel
