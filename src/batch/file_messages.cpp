#include "batch/file_messages.h"

#include <array>
#include <ostream>

#include "io/read_observations.h"

namespace korvel::batch {

namespace {

struct WarningKind {
  ReadDiagnostic ReadDiagnostics::*diagnostic;
  const char* name;  // the JSON kind
  const char* text;  // what was passed over
  const char* one;   // the counted thing, singular and plural
  const char* many;
};

constexpr std::array<WarningKind, 3> kKinds = {{
    {&ReadDiagnostics::continuedLines, "continued_line",
     "values missing on a line were taken from the next line", "line", "lines"},
    {&ReadDiagnostics::splitTokens, "split_token",
     "a number longer than 64 characters was read as two", "number", "numbers"},
    {&ReadDiagnostics::controlCharacters, "control_character", "control characters were skipped",
     "character", "characters"},
}};

}  // namespace

std::string FileMessage(const std::string& file, int64_t line, const std::string& text) {
  if (line <= 0) return file + ": " + text;
  return file + ":" + std::to_string(line) + ": " + text;
}

std::string FileMessage(const std::string& file, const KorvelError& error) {
  // The file and the reason, with the window's code for those who know it.
  if (const auto* failed = dynamic_cast<const FileError*>(&error))
    return failed->Detail() + " (" + error.what() + ")";
  const auto* malformed = dynamic_cast<const TextReadError*>(&error);
  return FileMessage(file, malformed != nullptr ? malformed->Line() : 0, error.what());
}

void PrintReadWarnings(const std::string& file, const ReadDiagnostics& d, std::ostream& err) {
  for (const WarningKind& kind : kKinds) {
    const ReadDiagnostic& found = d.*kind.diagnostic;
    if (found.count == 0) continue;
    err << FileMessage(file, found.firstLine, std::string("warning: ") + kind.text) << " ("
        << found.count << ' ' << (found.count == 1 ? kind.one : kind.many) << ", first here)\n";
  }
}

nlohmann::ordered_json ReadWarningsJson(const ReadDiagnostics& d) {
  nlohmann::ordered_json warnings = nlohmann::ordered_json::array();
  for (const WarningKind& kind : kKinds) {
    const ReadDiagnostic& found = d.*kind.diagnostic;
    if (found.count == 0) continue;
    warnings.push_back(
        {{"kind", kind.name}, {"count", found.count}, {"first_line", found.firstLine}});
  }
  return warnings;
}

void PrintReadWarnings(const std::string& file, const ReadDiagnostics& d, const LoadedFormat& f,
                       std::ostream& err) {
  PrintReadWarnings(file, d, err);
  if (f.format == ObservationFormat::Plain) return;
  err << FileMessage(file, 0, "warning: " + DroppedRowsText(f)) << '\n';
  if (f.sorted)
    err << FileMessage(file, 0, "warning: the dates were not in order; they were sorted") << '\n';
}

nlohmann::ordered_json ReadWarningsJson(const ReadDiagnostics& d, const LoadedFormat& f) {
  nlohmann::ordered_json warnings = ReadWarningsJson(d);
  for (const auto& [reason, count] : f.dropped)
    if (count > 0) warnings.push_back({{"kind", "dropped"}, {"reason", reason}, {"count", count}});
  if (f.sorted) warnings.push_back({{"kind", "sorted"}});
  return warnings;
}

}  // namespace korvel::batch
