// korvel-batch: the headless companion of the window. Each subcommand runs
// one engine of the program on a file (survey: on many) and prints its
// result; main only parses the command line, refuses numbers that are not
// finite, dispatches, turns running out of memory into a message, and checks
// that what was printed reached stdout.

#include <CLI/CLI.hpp>
#include <cstdio>
#include <iostream>
#include <new>
#include <stdexcept>
#include <vector>

#include "batch/command.h"
#include "batch/finite_numbers.h"
#include "batch/fit_command.h"
#include "batch/load_options.h"
#include "batch/plot_command.h"
#include "batch/reshuffle_command.h"
#include "batch/search_command.h"
#include "batch/stats_command.h"
#include "batch/survey_command.h"
#include "batch/wave_command.h"

namespace {

// Output lost to a full disk or a closed pipe is a failure, whatever the
// command computed: the last buffered bytes are pushed out and checked.
int WithStdoutChecked(int exitCode) {
  std::cout.flush();
  const bool failed = !std::cout.good() || std::fflush(stdout) != 0 || std::ferror(stdout) != 0;
  if (!failed || exitCode == korvel::batch::kExitWriteError) return exitCode;
  std::cerr << "stdout: cannot be written" << std::endl;
  return korvel::batch::kExitWriteError;
}

int Run(int argc, char** argv) {
  CLI::App app{"korvel-batch: period analysis of variable-star photometry without a window"};
  app.require_subcommand(1);
  const std::vector<korvel::batch::Command> commands = {
      korvel::batch::AddStatsCommand(app),     korvel::batch::AddSearchCommand(app),
      korvel::batch::AddReshuffleCommand(app), korvel::batch::AddWaveCommand(app),
      korvel::batch::AddPrewhitenCommand(app), korvel::batch::AddModelCommand(app),
      korvel::batch::AddPlotCommand(app),      korvel::batch::AddSurveyCommand(app),
      korvel::batch::AddFitCommand(app),
  };
  CLI11_PARSE(app, argc, argv);
  for (const auto& command : commands) {
    if (!command.app->parsed()) continue;
    if (const auto refusal = korvel::batch::NonFiniteOption(*command.app)) {
      std::cerr << *refusal << '\n';
      return korvel::batch::kExitRefused;
    }
    return WithStdoutChecked(command.run());
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
