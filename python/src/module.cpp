#include "bindings.h"

PYBIND11_MODULE(_korvel, m) {
  m.doc() = "The compiled engines of KORVEL; use them through the korvel package.";
  korvel::python::RegisterFunctions(m);
  korvel::python::RegisterSurvey(m);
}
