// The analysis file as File > Open analysis reads it. A document that reads
// is written and read again: it must read back equal, or an analysis saved
// after it was opened would no longer be the one opened.
#include <cstdint>
#include <string>
#include <variant>

#include "fuzz/fuzz_support.h"
#include "io/analysis_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const auto first = korvel::AnalysisFromText(text, "fuzz");
  const auto* d = std::get_if<korvel::AnalysisDocument>(&first);
  if (!d) return 0;
  const auto second = korvel::AnalysisFromText(korvel::AnalysisJson(*d).dump(), "fuzz");
  const auto* again = std::get_if<korvel::AnalysisDocument>(&second);
  korvel::fuzz::Check(again != nullptr, "a written analysis reads back");
  korvel::fuzz::Check(*again == *d, "an analysis written and read again is unchanged");
  return 0;
}
