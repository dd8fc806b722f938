// korvel-batch: the headless companion of the window. Each subcommand runs
// one engine of the program on a file (survey: on many) and prints its
// result; main only parses the command line, refuses numbers that are not
// finite, dispatches, and turns running out of memory into a message.

#include <CLI/CLI.hpp>
#include <iostream>
#include <new>
#include <stdexcept>
#include <vector>

#include "batch/command.h"
#include "batch/finite_numbers.h"
#include "batch/load_options.h"
#include "batch/plot_command.h"
#include "batch/reshuffle_command.h"
#include "batch/search_command.h"
#include "batch/stats_command.h"
#include "batch/survey_command.h"
#include "batch/wave_command.h"

namespace {

int Run(int argc, char** argv) {
  CLI::App app{"korvel-batch: period analysis of variable-star photometry without a window"};
  app.require_subcommand(1);
  const std::vector<korvel::batch::Command> commands = {
      korvel::batch::AddStatsCommand(app),     korvel::batch::AddSearchCommand(app),
      korvel::batch::AddReshuffleCommand(app), korvel::batch::AddWaveCommand(app),
      korvel::batch::AddPrewhitenCommand(app), korvel::batch::AddModelCommand(app),
      korvel::batch::AddPlotCommand(app),      korvel::batch::AddSurveyCommand(app),
  };
  CLI11_PARSE(app, argc, argv);
  for (const auto& command : commands) {
    if (!command.app->parsed()) continue;
    if (const auto refusal = korvel::batch::NonFiniteOption(*command.app)) {
      std::cerr << *refusal << '\n';
      return korvel::batch::kExitRefused;
    }
    return command.run();
  }
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  // Whatever allocation fails (a huge file, a huge request), the command
  // ends with a message and an exit code, not an abort.
  try {
    return Run(argc, argv);
  } catch (const std::bad_alloc&) {
  } catch (const std::length_error&) {
  }
  std::cerr << "Out of memory" << std::endl;
  return korvel::batch::kExitOutOfMemory;
}
