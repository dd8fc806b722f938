// The observation load: the first byte sets the read-zeros switch, the
// second the column (1 .. 20, as the Column control allows); the rest is the
// file. A load that ends early keeps what it read, so its set must still be
// consistent, and what the load reports must agree with itself.
#include <cstdint>
#include <string>

#include "core/analysis_state.h"
#include "core/error.h"
#include "fuzz/fuzz_support.h"
#include "io/observation_file.h"

using korvel::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  korvel::ReadOptions options;
  options.readZeros = (data[0] & 1) != 0;
  options.column = 1 + data[1] % 20;
  // The plain reader itself: the archives' formats have fuzz targets of their own.
  options.format = korvel::ObservationFormat::Plain;
  const std::string path = korvel::fuzz::WriteFile("star.dat", data + 2, size - 2);

  korvel::AnalysisState s;
  korvel::LoadReport report;
  try {
    report = korvel::LoadObservationsReporting(s, path, options);
  } catch (const korvel::KorvelError&) {
    Check(false, "a file just written can be opened");
  }
  Check(report.error.has_value() || report.errorLine == 0, "only an error has a line");
  for (const auto* d : {&report.diagnostics.continuedLines, &report.diagnostics.splitTokens,
                        &report.diagnostics.controlCharacters})
    Check(d->count >= 0 && (d->count == 0) == (d->firstLine == 0),
          "a diagnostic has a first line exactly when counted");

  Check(s.NObs >= 0, "NObs is not negative");
  const size_t n = static_cast<size_t>(s.NObs) + 1;
  Check(s.JD.size() == n && s.Mag.size() == n, "JD and Mag hold NObs + 1 values");
  Check(s.Marks.size() == n, "Marks holds NObs + 1 values");
  for (int32_t i = 1; i <= s.NObs; ++i) {
    Check(s.JD[i] >= options.jdLow && s.JD[i] <= options.jdHigh, "dates lie in the window");
    Check(options.readZeros || s.Mag[i] != 0, "zero magnitudes are dropped unless kept");
    Check(s.JD[i] >= s.JDLow && s.JD[i] <= s.JDHigh, "dates lie in JDLow .. JDHigh");
    Check(s.Mag[i] >= s.MagLow && s.Mag[i] <= s.MagHigh, "magnitudes lie in MagLow .. MagHigh");
  }
  return 0;
}
