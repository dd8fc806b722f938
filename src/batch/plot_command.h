// korvel-batch plot: the picture the window's plot surface would show for an
// observation file, a view and its elements (or a search), written as PNG,
// BMP, SVG or PDF.
#pragma once

#include "batch/command.h"

namespace korvel::batch {

Command AddPlotCommand(CLI::App& parent);

}  // namespace korvel::batch
