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
  AddReadOptions(command, args.read, args.photometry);
  CLI::Option* analysis = command.add_option(
      "--analysis", args.analysis,
      "An analysis file (File > Save analysis) in place of FILE and the read options: its "
      "observation file, load, deletions and elements");
  // Each read option belongs to FILE: the analysis holds its own.
  file->excludes(analysis);
  const auto options = command.get_options();
  for (size_t i = before; i + 1 < options.size(); ++i) options[i]->excludes(analysis);
}

void AddReadOptions(CLI::App& command, ReadOptions& read, FormatOptions& photometry) {
  AddReadOptions(command, read);
  command
      .add_option_function<std::string>(
          "--format",
          [&photometry](const std::string& name) {
            photometry.format = ObservationFormatOfName(name);
          },
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
  command.add_option("--band", photometry.band,
                     "The band to read (default: the band with most observations)");
  command.add_option("--time-col", photometry.timeColumn, "CSV: the column of the dates, by name");
  command.add_option("--mag-col", photometry.magColumn,
                     "CSV: the column of the magnitudes, by name");
  command.add_option("--err-col", photometry.errColumn, "CSV: the column of the errors, by name");
  command.add_option("--time-offset", photometry.timeOffset, "Added to every date read")
      ->capture_default_str();
  command.add_flag("--flux", photometry.keepFlux,
                   "Light-curve FITS: keep the flux instead of converting it to magnitudes");
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

// A plain load reports its observations as the rows read.
LoadedFormat PlainFormat(const AnalysisState& s) {
  LoadedFormat f;
  f.rowsRead = s.LoadedCount;
  return f;
}

// An archive's file: read whole, the JD window applied to its dates, and put
// into the state as a load puts a plain file.
LoadOutcome LoadFormatForBatch(AnalysisState& s, const LoadArgs& args, ObservationFormat format,
                                   std::ostream& err) {
  if (args.read.column != 1 || args.read.readZeros)
    return Refuse(
        FileMessage(args.file, 0,
                    std::string("--column and --read-zeros apply to plain files only; "
                                "this file is read as ") +
                        ObservationFormatName(format) + " (choose its columns with --mag-col)"),
        kExitRefused, err);
  FormatOptions options = args.photometry;
  options.format = format;
  LoadedObservations p;
  try {
    p = ReadObservations(args.file, options);
  } catch (const FormatError& e) {
    // The message names the file and the line.
    return Refuse(e.what(), kExitRefused, err);
  } catch (const KorvelError& e) {
    return Refuse(FileMessage(args.file, e), kExitFileMissing, err);
  }
  err << FileMessage(args.file, 0, "warning: " + DroppedRowsText(p)) << '\n';

  rarray jd{0.0}, mag{0.0};
  for (size_t i = 0; i < p.jd.size(); ++i) {
    if (p.jd[i] < args.read.jdLow || p.jd[i] > args.read.jdHigh) continue;
    jd.push_back(p.jd[i]);
    mag.push_back(p.mag[i]);
  }
  if (jd.size() - 1 > static_cast<size_t>(INT32_MAX))
    return Refuse(FileMessage(args.file, 0, kTooManyObservations), kExitRefused, err);
  SetParameterDefaults(s);
  s.DataColumn = args.read.column;
  // What LoadObservations sets besides the observations.
  s.DataFileName = args.file;
  s.BaseName = BaseNameOf(args.file);
  s.LoadedZeros = false;
  TakeObservations(s, std::move(jd), std::move(mag));

  LoadOutcome outcome{true, kExitOk, {}, {}, {}};
  LoadedFormat& f = outcome.read;
  f.format = ObservationFormatName(p.format);
  f.band = p.band;
  f.bands = p.bands;
  f.timeSystem = p.timeSystem;
  f.rowsRead = p.rowsRead;
  f.rowsDropped = p.dropped;
  f.sorted = p.sorted;
  return outcome;
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
  LoadOutcome outcome{true, kExitOk, restored.load.diagnostics, {}, d, PlainFormat(s)};
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
  ObservationFormat format = args.photometry.format;
  if (format == ObservationFormat::Auto) format = DetectObservationFormat(args.file);
  if (format != ObservationFormat::Plain) return LoadFormatForBatch(s, args, format, err);
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
    return {true, kExitReadError, report.diagnostics, message, {}, PlainFormat(s)};
  }
  return {true, kExitOk, report.diagnostics, {}, {}, PlainFormat(s)};
}

nlohmann::ordered_json LoadedFormatJson(const LoadedFormat& f) {
  nlohmann::ordered_json j;
  j["format"] = f.format;
  j["band"] = f.band.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(f.band);
  j["time_system"] = f.timeSystem;
  j["rows_read"] = f.rowsRead;
  j["rows_dropped"] = nlohmann::ordered_json::object();
  for (const auto& [reason, count] : f.rowsDropped) j["rows_dropped"][reason] = count;
  return j;
}

}  // namespace korvel::batch
