#include "batch/observation_arrays.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <utility>

#include "io/observation_file.h"
#include "io/param_file.h"

namespace korvel::batch {

std::optional<std::string> ObservationArraysProblem(const std::string& jdName,
                                                    const std::vector<double>& jd,
                                                    const std::string& magName,
                                                    const std::vector<double>& mag) {
  if (jd.size() != mag.size())
    return jdName + " and " + magName + " differ in length: " + std::to_string(jd.size()) +
           " and " + std::to_string(mag.size()) + " values...";
  // NObs is a 32-bit count, as for a file.
  if (jd.size() > static_cast<size_t>(INT32_MAX)) return kTooManyObservations;
  if (auto problem = NonFiniteElement(jdName, jd)) return problem;
  return NonFiniteElement(magName, mag);
}

std::optional<std::string> NonFiniteElement(const std::string& name,
                                            const std::vector<double>& values) {
  for (size_t i = 0; i < values.size(); ++i) {
    if (std::isfinite(values[i])) continue;
    char text[32];
    const auto written = std::to_chars(text, text + sizeof text, values[i]);
    return name + "[" + std::to_string(i) + "]: " + std::string(text, written.ptr) +
           " is not a finite number...";
  }
  return std::nullopt;
}

void SetObservations(AnalysisState& s, const std::vector<double>& jd,
                     const std::vector<double>& mag) {
  SetParameterDefaults(s);
  // Element 0 is unused, as in every observation array.
  rarray jdArray(1, 0.0), magArray(1, 0.0);
  jdArray.insert(jdArray.end(), jd.begin(), jd.end());
  magArray.insert(magArray.end(), mag.begin(), mag.end());
  TakeObservations(s, std::move(jdArray), std::move(magArray));
}

}  // namespace korvel::batch
