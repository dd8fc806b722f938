#include "batch/reshuffle_command.h"

#include <cstdint>
#include <iostream>
#include <memory>
#include <string>

#include "batch/file_messages.h"
#include "batch/load_options.h"
#include "core/error.h"
#include "io/file_paths.h"
#include "io/observation_file.h"
#include "search/document_search.h"

namespace korvel::batch {

namespace {

struct ReshuffleArgs {
  LoadArgs load;
  uint64_t seed = 0;
  std::string out;
};

int RunReshuffle(const ReshuffleArgs& args) {
  if (const auto problem = OutputIsInput(args.out, {args.load.file, args.load.analysis})) {
    std::cerr << *problem << '\n';
    return kExitRefused;
  }
  AnalysisState s;
  const LoadOutcome outcome = LoadForBatch(s, args.load, std::cerr);
  if (!outcome.loaded) return outcome.exitCode;
  // The observation file an analysis names is known once it is read.
  if (const auto problem = OutputIsInput(args.out, {s.DataFileName})) {
    std::cerr << *problem << '\n';
    return kExitRefused;
  }
  // Writing the observations before a malformed line would cut the set
  // short.
  if (outcome.exitCode != kExitOk) {
    std::cerr << "Nothing written: the file was not read to its end...\n";
    return outcome.exitCode;
  }
  if (s.NObs <= 0) {
    std::cerr << kNothingToReshuffle << '\n';
    return kExitRefused;
  }
  const std::string text = ReshuffleMags(s, args.seed);
  try {
    WriteAllObservations(s, args.out);
  } catch (const KorvelError& e) {
    std::cerr << FileMessage(args.out, e) << '\n';
    return kExitWriteError;
  }
  std::cout << text << '\n' << std::flush;
  return kExitOk;
}

}  // namespace

Command AddReshuffleCommand(CLI::App& parent) {
  auto args = std::make_shared<ReshuffleArgs>();
  CLI::App* app = parent.add_subcommand(
      "reshuffle",
      "Deal the magnitudes to the dates in a random order and write the observations to OUT");
  AddLoadOptions(*app, args->load);
  app->add_option("--seed", args->seed, "Seed of the random order: the same seed, the same order")
      ->required();
  app->add_option("-o,--output", args->out, "File written (overwritten if it exists)")->required();
  return {app, [args] { return RunReshuffle(*args); }};
}

}  // namespace korvel::batch
