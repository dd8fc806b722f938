#include "batch/load_options.h"

#include <cstdint>
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
  command
      .add_option_function<std::string>(
          "--format",
          [&read](const std::string& name) { read.format = ObservationFormatOfName(name); },
          "The file's format: auto (recognised from the content), plain, csv, aavso, "
          "aavso-extended, ztf, gaia, fits, asassn")
      ->default_str("auto")
      ->check(
          [](const std::string& name) {
            try {
              ObservationFormatOfName(name);
              return std::string();
            } catch (const KorvelError& e) {
              return std::string(e.what());
            }
          },
          "FORMAT");
  command.add_option("--band", read.band,
                     "The band to read (default: the band with most observations)");
  command.add_option("--time-col", read.timeColumn, "CSV: the column of the dates, by name");
  command.add_option("--mag-col", read.magColumn, "CSV: the column of the magnitudes, by name");
  command.add_option("--err-col", read.errColumn, "CSV: the column of the errors, by name");
  command.add_option("--time-offset", read.timeOffset, "Added to every date read")
      ->capture_default_str();
  command.add_flag("--flux", read.keepFlux,
                   "Light-curve FITS: keep the flux instead of converting it to magnitudes");
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
  PrintReadWarnings(file, restored.load.diagnostics, s.Loaded, err);
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
  // --column and --read-zeros mean nothing to a file whose columns have names.
  const ObservationFormat format = args.read.format == ObservationFormat::Auto
                                       ? DetectObservationFormat(args.file)
                                       : args.read.format;
  if (format != ObservationFormat::Plain && (args.read.column != 1 || args.read.readZeros))
    return Refuse(
        FileMessage(args.file, 0,
                    std::string("--column and --read-zeros apply to plain files only; "
                                "this file is read as ") +
                        ObservationFormatName(format) + " (choose its columns with --mag-col)"),
        kExitRefused, err);
  SetParameterDefaults(s);
  s.DataColumn = args.read.column;
  ReadOptions read = args.read;
  read.format = format;
  LoadReport report;
  try {
    report = LoadObservationsReporting(s, args.file, read);
  } catch (const FormatError& e) {
    // The message names the file and the line; nothing was loaded.
    return Refuse(e.what(), kExitRefused, err);
  } catch (const KorvelError& e) {
    // The file exists but could not be opened or read.
    const std::string message = FileMessage(args.file, e);
    err << message << '\n';
    return {false, kExitFileMissing, {}, message, {}};
  }
  PrintReadWarnings(args.file, report.diagnostics, s.Loaded, err);
  if (report.error) {
    const std::string message = FileMessage(args.file, report.errorLine, *report.error);
    err << message << '\n';
    return {true, kExitReadError, report.diagnostics, message, {}};
  }
  return {true, kExitOk, report.diagnostics, {}, {}};
}

nlohmann::ordered_json LoadedFormatJson(const LoadedFormat& f) {
  nlohmann::ordered_json j;
  j["format"] = ObservationFormatName(f.format);
  j["band"] = f.band.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(f.band);
  j["time_system"] = f.timeSystem;
  j["rows_read"] = f.rowsRead;
  j["rows_dropped"] = nlohmann::ordered_json::object();
  for (const auto& [reason, count] : f.dropped) j["rows_dropped"][reason] = count;
  return j;
}

}  // namespace korvel::batch
