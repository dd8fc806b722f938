#include "batch/load_options.h"

#include <ostream>

#include "batch/file_messages.h"
#include "core/error.h"
#include "core/messages.h"
#include "io/file_paths.h"
#include "io/param_file.h"
#include "io/text_reader.h"

namespace korvel::batch {

void AddLoadOptions(CLI::App& command, LoadArgs& args) {
  // FILE is not checked by CLI11: a missing file gets the program's own
  // message and exit code.
  command.add_option("FILE", args.file, "Observation file: a date, then values, one per line")
      ->required();
  AddReadOptions(command, args.read);
}

void AddReadOptions(CLI::App& command, ReadOptions& read) {
  command
      .add_option("--column", read.column,
                  "Which number after the date is the magnitude (1 = the first)")
      ->capture_default_str();
  command.add_flag("--read-zeros", read.readZeros,
                   "Keep observations whose magnitude is exactly 0");
  command.add_option("--jd-min", read.jdLow, "Earliest date loaded (included)")
      ->capture_default_str();
  command.add_option("--jd-max", read.jdHigh, "Latest date loaded (included)")
      ->capture_default_str();
}

LoadOutcome LoadForBatch(AnalysisState& s, const LoadArgs& args, std::ostream& err) {
  if (!FileExists(args.file)) {
    const std::string message =
        KindOf(args.file) == FileKind::Directory
            ? FileMessage(args.file, 0, "is a directory, not an observation file...")
            : FileMessage(args.file, 0, kFileDoesNotExist);
    err << message << '\n';
    return {false, kExitFileMissing, {}, message};
  }
  SetParameterDefaults(s);
  s.DataColumn = args.read.column;
  LoadReport report;
  try {
    report = LoadObservationsReporting(s, args.file, args.read);
  } catch (const KorvelError& e) {
    // The file exists but could not be opened or read.
    const std::string message = FileMessage(args.file, e);
    err << message << '\n';
    return {false, kExitFileMissing, {}, message};
  }
  PrintReadWarnings(args.file, report.diagnostics, err);
  if (report.error) {
    const std::string message = FileMessage(args.file, report.errorLine, *report.error);
    err << message << '\n';
    return {true, kExitReadError, report.diagnostics, message};
  }
  return {true, kExitOk, report.diagnostics, {}};
}

}  // namespace korvel::batch
