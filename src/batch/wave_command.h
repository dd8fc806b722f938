// korvel-batch wave, prewhiten and model: the mean light curve of Wave, the
// Prewhitening step with its collecting and residual files, and the periodic
// model of a collecting file, so that a chain search -> wave -> prewhiten ->
// search runs with files alone.
#pragma once

#include "batch/command.h"

namespace korvel::batch {

Command AddWaveCommand(CLI::App& parent);
Command AddPrewhitenCommand(CLI::App& parent);
Command AddModelCommand(CLI::App& parent);

}  // namespace korvel::batch
