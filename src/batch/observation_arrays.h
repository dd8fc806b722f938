// Observations handed over as arrays instead of read from a file (the
// Python module): the state a load of the same dates and magnitudes would
// leave, so that every command that follows computes the same numbers.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/analysis_state.h"

namespace korvel::batch {

// Why the arrays cannot be observations: lengths that differ, or a value
// that is not a finite number (a file can hold neither). Names are the
// callers' names of the arrays; indices count from 0.
std::optional<std::string> ObservationArraysProblem(const std::string& jdName,
                                                    const std::vector<double>& jd,
                                                    const std::string& magName,
                                                    const std::vector<double>& mag);

// The first value of values that is not a finite number, as a message, or
// nothing.
std::optional<std::string> NonFiniteElement(const std::string& name,
                                            const std::vector<double>& values);

// Applies the parameter defaults of a load and takes jd[0..n-1] and
// mag[0..n-1] as observations 1..n, with the statistics a load computes.
// Check ObservationArraysProblem first.
void SetObservations(AnalysisState& s, const std::vector<double>& jd,
                     const std::vector<double>& mag);

}  // namespace korvel::batch
