// The load options every korvel-batch subcommand shares: the observation
// file, the column, Read zeros and the JD window, applied exactly as the
// window's File > Open applies them; and, for the archives' formats (CSV,
// AAVSO, ZTF, Gaia, ASAS-SN, light-curve FITS), the format, band and columns.
#pragma once

#include <CLI/CLI.hpp>
#include <cstdint>
#include <iosfwd>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <utility>
#include <vector>

#include "core/analysis_state.h"
#include "io/analysis_file.h"
#include "io/observation_file.h"
#include "io/read_observations.h"

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

// Adds FILE, --column, --read-zeros, --jd-min, --jd-max, the format options
// and --analysis (which excludes the others) to a subcommand.
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

// What the load read (AnalysisState::Loaded): "format", "band" (null when
// none), "time_system", "rows_read" and "rows_dropped" (an object by reason).
nlohmann::ordered_json LoadedFormatJson(const LoadedFormat& f);

// Applies the parameter defaults of a load (as File > Open does before it
// reads) and loads the file into the state. Messages go to err, each naming
// the file: "File does not exist..." for a missing file, the reader's own
// text for a failed open, the line and the text of a read error, and a
// warning per kind of thing the reader passed over. A read error still
// counts as loaded (the observations before the malformed line stay) but
// sets a non-zero exit code. A file in an archive's format (given, or
// recognised from its content) is read whole or not at all: a file it cannot
// read is refused with the file and line, and what was dropped is written as
// a warning. With an analysis file the state is restored from
// it (search/document_analysis.h); a damaged file, or an observation file
// that no longer gives the analysed observations, is refused with the reason.
LoadOutcome LoadForBatch(AnalysisState& s, const LoadArgs& args, std::ostream& err);

}  // namespace korvel::batch
