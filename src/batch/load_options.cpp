#include "batch/load_options.h"

#include <ostream>

#include "batch/file_messages.h"
#include "core/error.h"
#include "core/messages.h"
#include "io/file_paths.h"
#include "io/param_file.h"
#include "io/text_reader.h"
#include "search/document_analysis.h"

namespace korvel::batch {

void AddLoadOptions(CLI::App& command, LoadArgs& args) {
  // FILE is not checked by CLI11: a missing file gets the program's own
  // message and exit code.
  CLI::Option* file =
      command.add_option("FILE", args.file, "Observation file: a date, then values, one per line");
  const size_t before = command.get_options().size();
  AddReadOptions(command, args.read);
  CLI::Option* analysis = command.add_option(
      "--analysis", args.analysis,
      "An analysis file (File > Save analysis) in place of FILE and the read options: its "
      "observation file, load, deletions and elements");
  // Each read option belongs to FILE: the analysis holds its own.
  file->excludes(analysis);
  const auto options = command.get_options();
  for (size_t i = before; i + 1 < options.size(); ++i) options[i]->excludes(analysis);
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

namespace {

LoadOutcome Refuse(const std::string& message, int exitCode, std::ostream& err) {
  err << message << '\n';
  return {false, exitCode, {}, message, {}};
}

LoadOutcome LoadAnalysisForBatch(AnalysisState& s, const std::string& path, std::ostream& err) {
  if (!FileExists(path))
    return Refuse(FileMessage(path, 0, kFileDoesNotExist), kExitFileMissing, err);
  auto read = ReadAnalysisFile(path);
  if (const auto* refusal = std::get_if<AnalysisRefusal>(&read))
    return Refuse(refusal->reason, kExitRefused, err);
  auto d = std::make_shared<AnalysisDocument>(std::move(std::get<AnalysisDocument>(read)));
  const std::string file = ObservationFileOf(*d, path);
  const RestoreOutcome restored = RestoreAnalysis(s, *d, file);
  if (restored.refusal) return Refuse(path + ": " + *restored.refusal, kExitRefused, err);
  PrintReadWarnings(file, restored.load.diagnostics, err);
  LoadOutcome outcome{true, kExitOk, restored.load.diagnostics, {}, d};
  if (restored.load.error) {
    outcome.message = FileMessage(file, restored.load.errorLine, *restored.load.error);
    outcome.exitCode = kExitReadError;
    err << outcome.message << '\n';
  }
  return outcome;
}

}  // namespace

LoadOutcome LoadForBatch(AnalysisState& s, const LoadArgs& args, std::ostream& err) {
  if (!args.analysis.empty()) return LoadAnalysisForBatch(s, args.analysis, err);
  if (args.file.empty()) return Refuse("FILE or --analysis is required...", kExitRefused, err);
  if (!FileExists(args.file)) {
    const std::string message =
        KindOf(args.file) == FileKind::Directory
            ? FileMessage(args.file, 0, "is a directory, not an observation file...")
            : FileMessage(args.file, 0, kFileDoesNotExist);
    err << message << '\n';
    return {false, kExitFileMissing, {}, message, {}};
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
    return {false, kExitFileMissing, {}, message, {}};
  }
  PrintReadWarnings(args.file, report.diagnostics, err);
  if (report.error) {
    const std::string message = FileMessage(args.file, report.errorLine, *report.error);
    err << message << '\n';
    return {true, kExitReadError, report.diagnostics, message, {}};
  }
  return {true, kExitOk, report.diagnostics, {}, {}};
}

}  // namespace korvel::batch
