#include "batch/load_options.h"

#include <filesystem>
#include <ostream>
#include <system_error>

#include "core/error.h"
#include "io/param_file.h"

namespace korvel::batch {

namespace {

constexpr const char* kFileDoesNotExist = "File does not exist...";

bool IsExistingFile(const std::string& path) {
  std::error_code ec;
  return !path.empty() && std::filesystem::exists(path, ec) &&
         !std::filesystem::is_directory(path, ec);
}

}  // namespace

void AddLoadOptions(CLI::App& command, LoadArgs& args) {
  // FILE is not checked by CLI11: a missing file gets the program's own
  // message and exit code.
  command.add_option("FILE", args.file, "Observation file: a date, then values, one per line")
      ->required();
  command
      .add_option("--column", args.read.column,
                  "Which number after the date is the magnitude (1 = the first)")
      ->capture_default_str();
  command.add_flag("--read-zeros", args.read.readZeros,
                   "Keep observations whose magnitude is exactly 0");
  command.add_option("--jd-min", args.read.jdLow, "Earliest date loaded (included)")
      ->capture_default_str();
  command.add_option("--jd-max", args.read.jdHigh, "Latest date loaded (included)")
      ->capture_default_str();
}

LoadOutcome LoadForBatch(AnalysisState& s, const LoadArgs& args, std::ostream& err) {
  if (!IsExistingFile(args.file)) {
    err << kFileDoesNotExist << '\n';
    return {false, kExitFileMissing};
  }
  SetParameterDefaults(s);
  s.DataColumn = args.read.column;
  try {
    if (const auto error = LoadObservations(s, args.file, args.read)) {
      err << *error << '\n';
      return {true, kExitReadError};
    }
  } catch (const KorvelError& e) {
    // The file exists but could not be opened or read.
    err << e.what() << '\n';
    return {false, kExitFileMissing};
  }
  return {true, kExitOk};
}

}  // namespace korvel::batch
