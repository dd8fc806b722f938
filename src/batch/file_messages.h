// How korvel-batch speaks of a file it read: messages that name the file and
// the line ("star.dat:3: Invalid numeric input"), and the warnings of what
// the reader passed over, on stderr and in JSON.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <nlohmann/json.hpp>
#include <string>

#include "core/read_options.h"
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

// The same with what a load of an archive's file left out: a line of what was
// read and dropped, and one when the dates had to be sorted; in JSON one
// {"kind": "dropped", "reason", "count"} per reason and {"kind": "sorted"}.
// A plain file's load adds nothing.
void PrintReadWarnings(const std::string& file, const ReadDiagnostics& d, const LoadedFormat& f,
                       std::ostream& err);
nlohmann::ordered_json ReadWarningsJson(const ReadDiagnostics& d, const LoadedFormat& f);

}  // namespace korvel::batch
