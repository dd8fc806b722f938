// The parts of the extension module _korvel, each registering its functions.
#pragma once

#include <pybind11/pybind11.h>

namespace korvel::python {

// load, load_analysis, the searches, reshuffle, wave, prewhiten, model (functions.cpp).
void RegisterFunctions(pybind11::module_& m);
// The per-star work of a survey, for korvel.survey (survey.cpp).
void RegisterSurvey(pybind11::module_& m);
// The multi-frequency fit, for korvel.fit (fit.cpp).
void RegisterFit(pybind11::module_& m);

}  // namespace korvel::python
