// korvel-batch reshuffle: the magnitudes of a file dealt to its dates in a
// random order (the window's Chaos) with a given seed, written as Save as...
// writes observations.
#pragma once

#include "batch/command.h"

namespace korvel::batch {

Command AddReshuffleCommand(CLI::App& parent);

}  // namespace korvel::batch
