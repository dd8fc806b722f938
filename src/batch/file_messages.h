// How korvel-batch speaks of a file it read: messages that name the file and
// the line ("star.dat:3: Invalid numeric input"), and the warnings of what
// the reader passed over, on stderr and in JSON.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <nlohmann/json.hpp>
#include <string>

#include "io/text_reader.h"

namespace korvel::batch {

// The help of --json of the commands that load an observation file.
inline constexpr const char* kJsonHelp =
    "Print one JSON object instead of text (\"warnings\": what the reader passed over)";

// "file:line: text", or "file: text" for line 0.
std::string FileMessage(const std::string& file, int64_t line, const std::string& text);

// The message of an error of file handling: a malformed number names its
// line, a failed open, read or write the file and the reason.
std::string FileMessage(const std::string& file, const KorvelError& error);

// One line per kind passed over: "star.dat:12: warning: ..." at the first
// line of the kind, with its count.
void PrintReadWarnings(const std::string& file, const ReadDiagnostics& d, std::ostream& err);

// The same as [{"kind", "count", "first_line"}, ...]; empty when nothing was
// passed over.
nlohmann::ordered_json ReadWarningsJson(const ReadDiagnostics& d);

}  // namespace korvel::batch
