// The token reader: a script of reads taken from the first byte runs over the
// text, once through the file and once from memory; both must give the same
// values, errors, lines and diagnostics. A second byte 4 k + 3 puts the text
// behind blanks so that the file's 64 KiB buffer boundary falls k bytes into
// it (a quarter of the inputs, as the blanks make a run slow). Then the
// whole-text conversions of dialog fields.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "core/error.h"
#include "fuzz/fuzz_support.h"
#include "io/text_reader.h"

namespace {

using korvel::KorvelError;
using korvel::TextReader;
using korvel::fuzz::Check;

constexpr size_t kFileBuffer = size_t{1} << 16;

// One outcome per step: the value read (or the line), or the error text,
// and where the reader stands after it.
struct Step {
  double real = 0;
  int32_t integer = 0;
  std::string text;
  int64_t errorLine = 0;
  int64_t line = 0;
  bool eof = false;

  bool operator==(const Step&) const = default;
};

void CheckDiagnostic(const korvel::ReadDiagnostic& d, int64_t line) {
  Check(d.count >= 0, "a diagnostic count is not negative");
  Check((d.count == 0) == (d.firstLine == 0), "a diagnostic has a first line when counted");
  Check(d.firstLine <= line, "a diagnostic's first line has been read");
}

bool Same(const korvel::ReadDiagnostic& a, const korvel::ReadDiagnostic& b) {
  return a.count == b.count && a.firstLine == b.firstLine;
}

struct Outcome {
  std::vector<Step> steps;
  korvel::ReadDiagnostics diagnostics;

  bool operator==(const Outcome& o) const {
    return steps == o.steps && Same(diagnostics.continuedLines, o.diagnostics.continuedLines) &&
           Same(diagnostics.splitTokens, o.diagnostics.splitTokens) &&
           Same(diagnostics.controlCharacters, o.diagnostics.controlCharacters);
  }
};

Outcome RunScript(TextReader& in, uint8_t script, size_t limit) {
  Outcome outcome;
  // Every read moves on at least one character unless the text is exhausted,
  // so the limit is only a guard against a reader that stops moving.
  for (size_t i = 0; i < limit && !in.Eof(); ++i) {
    Step step;
    try {
      switch ((script >> (2 * (i % 4))) & 3) {
        case 0:
          step.real = in.ReadReal();
          break;
        case 1:
          step.integer = in.ReadInt();
          break;
        case 2:
          in.ReadLine();
          break;
        case 3:
          step.text = in.ReadLineText();
          Check(step.text.find_first_of("\r\n") == std::string::npos,
                "a line read as text holds no line end");
          break;
      }
    } catch (const korvel::TextReadError& e) {
      step.text = e.what();
      step.errorLine = e.Line();
      Check(e.Line() >= 1 && e.Line() <= in.Line(), "an error names a line read");
    } catch (const KorvelError& e) {
      step.text = e.what();
    }
    step.eof = in.SeekEof();
    step.line = in.Line();
    outcome.steps.push_back(step);
  }
  outcome.diagnostics = in.Diagnostics();
  const korvel::ReadDiagnostics& d = outcome.diagnostics;
  for (const auto* kind : {&d.continuedLines, &d.splitTokens, &d.controlCharacters})
    CheckDiagnostic(*kind, in.Line());
  return outcome;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const uint8_t script = data[0];
  std::string content(reinterpret_cast<const char*>(data + 2), size - 2);
  if ((data[1] & 3) == 3) {
    const size_t into = std::min<size_t>(data[1] >> 2, content.size());
    content.insert(0, kFileBuffer - into, ' ');
  }
  const size_t limit = 2 * content.size() + 8;

  Outcome fromFile;
  try {
    TextReader in = TextReader::FromFile(korvel::fuzz::WriteFile("tokens.txt", content));
    fromFile = RunScript(in, script, limit);
  } catch (const KorvelError&) {
    Check(false, "a file just written can be opened");
  }
  TextReader inMemory(content);
  const Outcome fromMemory = RunScript(inMemory, script, limit);
  Check(fromFile == fromMemory, "file and memory give the same reads");

  double real = 0;
  int32_t integer = 0;
  korvel::TextToReal(content, real);
  korvel::TextToInt(content, integer);
  return 0;
}
