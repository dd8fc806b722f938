// One korvel-batch subcommand: the CLI11 subcommand it registered and the
// action that runs it once the command line has been parsed.
#pragma once

#include <CLI/CLI.hpp>
#include <functional>

namespace korvel::batch {

struct Command {
  CLI::App* app = nullptr;
  std::function<int()> run;  // returns the process exit code
};

}  // namespace korvel::batch
