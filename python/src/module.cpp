#include "bindings.h"
#include "interruptible.h"

PYBIND11_MODULE(_korvel, m) {
  m.doc() = "The compiled engines of KORVEL; use them through the korvel package.";
  korvel::python::RegisterFunctions(m);
  korvel::python::RegisterSurvey(m);
  korvel::python::RegisterFit(m);
  // An engine that Ctrl-C left to end on its own must end before the
  // process's statics are destroyed.
  pybind11::module_::import("atexit").attr("register")(pybind11::cpp_function([] {
    pybind11::gil_scoped_release released;
    korvel::python::WaitForAbandonedWork();
  }));
}
