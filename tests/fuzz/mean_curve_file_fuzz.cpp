// The collecting file read back for the model, then M(t) at a few dates. A
// file that fails to read must leave the table as it was; one that reads
// gives a table whose sizes agree with its counts.
#include <cstdint>
#include <string>

#include "core/analysis_state.h"
#include "core/error.h"
#include "fuzz/fuzz_support.h"
#include "lightcurve/document_light_curve.h"
#include "lightcurve/mean_curve_file.h"

using korvel::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = korvel::fuzz::WriteFile("curves.sup", data, size);
  korvel::AnalysisState s;
  try {
    korvel::ReadMeanCurveFile(s, path);
  } catch (const korvel::KorvelError&) {
    Check(!s.MLCLoaded && s.MLCCurves == 0, "a failed read leaves the table as it was");
    return 0;
  }
  Check(s.MLCLoaded, "a read table is marked loaded");
  Check(s.MLCCurves >= 0, "the number of curves is not negative");
  const size_t tableSize = static_cast<size_t>(s.MLCCurves) + 1;
  Check(s.MLCCount.size() == tableSize && s.MLCPeriod.size() == tableSize &&
            s.MLCEpoch.size() == tableSize && s.MLCPhase.size() == tableSize &&
            s.MLCMag.size() == tableSize,
        "every table column holds one entry per curve");
  for (int32_t k = 1; k <= s.MLCCurves; ++k) {
    const size_t points = static_cast<size_t>(s.MLCCount[k]) + 1;
    Check(s.MLCCount[k] >= 0 && s.MLCPhase[k].size() == points && s.MLCMag[k].size() == points,
          "every curve holds as many points as it counts");
  }

  for (const double t : {0.0, 0.25, 59000.123, -12345.6, 2459000.5, 1e15})
    static_cast<void>(korvel::ModelValue(s, t));
  return 0;
}
