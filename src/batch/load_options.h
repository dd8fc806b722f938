// The load options every korvel-batch subcommand shares: the observation
// file, the column, Read zeros and the JD window, applied exactly as the
// window's File > Open applies them.
#pragma once

#include <CLI/CLI.hpp>
#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>

#include "core/analysis_state.h"
#include "io/analysis_file.h"
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
  // An analysis file in place of FILE and the read options: its observation
  // file, load, deletions, marks and elements.
  std::string analysis;
};

// Adds FILE, --column, --read-zeros, --jd-min, --jd-max and --analysis (which
// excludes the others) to a subcommand.
void AddLoadOptions(CLI::App& command, LoadArgs& args);
// The same without FILE: for a command that reads many files alike.
void AddReadOptions(CLI::App& command, ReadOptions& read);

struct LoadOutcome {
  bool loaded = false;  // false: nothing was read, the state is untouched
  int exitCode = kExitOk;
  ReadDiagnostics diagnostics;  // what the reader passed over
  std::string message;          // the error also written to err, without a line end
  // The analysis the observations came from (--analysis), else nothing.
  std::shared_ptr<const AnalysisDocument> analysis;
};

// Applies the parameter defaults of a load (as File > Open does before it
// reads) and loads the file into the state. Messages go to err, each naming
// the file: "File does not exist..." for a missing file, the reader's own
// text for a failed open, the line and the text of a read error, and a
// warning per kind of thing the reader passed over. A read error still
// counts as loaded (the observations before the malformed line stay) but
// sets a non-zero exit code. With an analysis file the state is restored from
// it (search/document_analysis.h); a damaged file, or an observation file
// that no longer gives the analysed observations, is refused with the reason.
LoadOutcome LoadForBatch(AnalysisState& s, const LoadArgs& args, std::ostream& err);

}  // namespace korvel::batch
