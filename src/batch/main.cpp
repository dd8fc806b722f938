// korvel-batch: the headless companion of the window. Each subcommand runs
// one engine of the program on a file and prints its result; main only
// parses the command line and dispatches.

#include <CLI/CLI.hpp>
#include <vector>

#include "batch/command.h"
#include "batch/plot_command.h"
#include "batch/reshuffle_command.h"
#include "batch/search_command.h"
#include "batch/stats_command.h"
#include "batch/wave_command.h"

int main(int argc, char** argv) {
  CLI::App app{"korvel-batch: period analysis of variable-star photometry without a window"};
  app.require_subcommand(1);
  const std::vector<korvel::batch::Command> commands = {
      korvel::batch::AddStatsCommand(app),     korvel::batch::AddSearchCommand(app),
      korvel::batch::AddReshuffleCommand(app), korvel::batch::AddWaveCommand(app),
      korvel::batch::AddPrewhitenCommand(app), korvel::batch::AddModelCommand(app),
      korvel::batch::AddPlotCommand(app),
  };
  CLI11_PARSE(app, argc, argv);
  for (const auto& command : commands)
    if (command.app->parsed()) return command.run();
  return 1;
}
