// korvel-batch search: one period search (any method of the table) on an
// observation file, with the state set as the window's dialogs and switches
// set it and the engine the window runs.
#pragma once

#include "batch/command.h"

namespace korvel::batch {

Command AddSearchCommand(CLI::App& parent);

}  // namespace korvel::batch
