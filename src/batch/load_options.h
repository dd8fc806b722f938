// The load options every korvel-batch subcommand shares: the observation
// file, the column, Read zeros and the JD window, applied exactly as the
// window's File > Open applies them.
#pragma once

#include <CLI/CLI.hpp>
#include <cstdint>
#include <iosfwd>
#include <string>

#include "core/analysis_state.h"
#include "io/observation_file.h"

namespace korvel::batch {

// Exit codes shared by the subcommands (CLI11 keeps its own for bad options).
inline constexpr int kExitOk = 0;
inline constexpr int kExitReadError = 1;    // a malformed line; what came before is used
inline constexpr int kExitFileMissing = 2;  // nothing could be loaded
inline constexpr int kExitRefused = 3;      // parameters or data the command cannot use
inline constexpr int kExitWriteError = 4;   // an output file could not be written
inline constexpr int kExitOutOfMemory = 5;  // "Out of memory": the command was abandoned

struct LoadArgs {
  std::string file;
  ReadOptions read;
};

// Adds FILE, --column, --read-zeros, --jd-min and --jd-max to a subcommand.
void AddLoadOptions(CLI::App& command, LoadArgs& args);
// The same without FILE: for a command that reads many files alike.
void AddReadOptions(CLI::App& command, ReadOptions& read);

struct LoadOutcome {
  bool loaded = false;  // false: nothing was read, the state is untouched
  int exitCode = kExitOk;
  ReadDiagnostics diagnostics;  // what the reader passed over
  std::string message;          // the error also written to err, without a line end
};

// Applies the parameter defaults of a load (as File > Open does before it
// reads) and loads the file into the state. Messages go to err, each naming
// the file: "File does not exist..." for a missing file, the reader's own
// text for a failed open, the line and the text of a read error, and a
// warning per kind of thing the reader passed over. A read error still
// counts as loaded (the observations before the malformed line stay) but
// sets a non-zero exit code.
LoadOutcome LoadForBatch(AnalysisState& s, const LoadArgs& args, std::ostream& err);

}  // namespace korvel::batch
