// korvel-batch survey: period searches over many stars in one process, one
// row per star and method written as each star is done, resumable after an
// interruption.
#pragma once

#include "batch/command.h"

namespace korvel::batch {

// The exit code of a survey ended by SIGINT or SIGTERM is 128 + the signal.
Command AddSurveyCommand(CLI::App& parent);

}  // namespace korvel::batch
