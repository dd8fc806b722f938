// The survey's pieces for korvel.survey, which runs the stars as tasks on a
// Dask cluster: korvel-batch survey's own parser, output start, plan,
// per-star search and row writer. Every function takes the survey's
// arguments as a list of strings and parses them again, so that a task
// carries only strings to a worker process and back.
#include <pybind11/stl.h>

#include <new>
#include <set>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "batch/survey_command_line.h"
#include "batch/survey_progress.h"
#include "batch/survey_run.h"
#include "bindings.h"

namespace py = pybind11;

namespace korvel::python {

namespace {

using batch::SurveyCommandLine;
using batch::SurveyRefused;
using Args = std::vector<std::string>;
using DonePairs = std::set<std::pair<std::string, std::string>>;

PyObject* gRefusedType = nullptr;

[[noreturn]] void Raise(const SurveyRefused& refused) {
  std::string message = refused.message;
  while (!message.empty() && message.back() == '\n') message.pop_back();
  py::object error = py::reinterpret_borrow<py::object>(gRefusedType)(message);
  error.attr("exit_code") = refused.exitCode;
  error.attr("text") = refused.message;
  error.attr("to_stdout") = refused.toStdout;
  PyErr_SetObject(gRefusedType, error.ptr());
  throw py::error_already_set();
}

SurveyCommandLine Parse(const Args& args, bool oneStar) {
  auto parsed = batch::ParseSurveyCommandLine(args, oneStar);
  if (const auto* refused = std::get_if<SurveyRefused>(&parsed)) Raise(*refused);
  return std::move(std::get<SurveyCommandLine>(parsed));
}

const char* FormatName(batch::RowFormat format) {
  return format == batch::RowFormat::JsonLines ? "jsonl" : "csv";
}

std::vector<std::string> MethodNamesOf(const std::vector<batch::SurveyMethod>& methods) {
  std::vector<std::string> names;
  for (const batch::SurveyMethod& method : methods) names.push_back(method.Name());
  return names;
}

batch::SurveyStar StarOf(const std::string& file, const std::vector<std::string>& methods) {
  batch::SurveyStar star{file, {}};
  for (const std::string& name : methods) {
    const std::optional<batch::SurveyMethod> method = batch::SurveyMethodNamed(name);
    if (!method) throw py::value_error(name + " is not one of " + batch::SurveyMethodNames());
    star.methods.push_back(*method);
  }
  return star;
}

py::dict CommandLine(const Args& args) {
  const SurveyCommandLine line = Parse(args, false);
  py::dict d;
  d["files"] = line.options.files;
  d["methods"] = MethodNamesOf(line.options.methods);
  d["out"] = line.out;
  d["resume"] = line.resume;
  d["progress"] = line.progress;
  d["top"] = line.options.top;
  d["peaks"] = line.options.peaks.count;
  d["format"] =
      FormatName(line.out.empty() ? batch::RowFormat::Csv : batch::FormatForFile(line.out));
  d["jobs"] = line.options.jobs;
  d["jobs_given"] = line.jobsGiven;
  return d;
}

std::pair<std::string, DonePairs> StartOutput(const Args& args) {
  const SurveyCommandLine line = Parse(args, false);
  auto started = batch::StartRowOutput(line);
  if (const auto* refused = std::get_if<SurveyRefused>(&started)) Raise(*refused);
  auto& start = std::get<batch::RowOutputStart>(started);
  return {std::move(start.header), std::move(start.done)};
}

std::vector<std::pair<std::string, std::vector<std::string>>> Plan(const Args& args,
                                                                   const DonePairs& done) {
  const SurveyCommandLine line = Parse(args, false);
  std::vector<std::pair<std::string, std::vector<std::string>>> stars;
  for (const batch::SurveyStar& star : batch::PlanSurvey(line.options, done))
    stars.emplace_back(star.file, MethodNamesOf(star.methods));
  return stars;
}

std::pair<std::string, std::string> SearchOneStar(const Args& args, const std::string& file,
                                                  const std::vector<std::string>& methods) {
  const SurveyCommandLine line = Parse(args, true);
  const batch::SurveyStar star = StarOf(file, methods);
  // The cluster runs the stars side by side; a star's trials take the
  // threads --jobs names only when it was given.
  const int threads = line.jobsGiven ? line.options.jobs : 1;
  const auto format = line.out.empty() ? batch::RowFormat::Csv : batch::FormatForFile(line.out);
  batch::StarResult result;
  {
    const py::gil_scoped_release released;
    // As korvel-batch survey: a star that breaks the search gets error rows,
    // and running it again would break it again.
    try {
      result = batch::SearchStar(star, line.options, threads);
    } catch (const std::bad_alloc&) {
      result = batch::FailedStar(star, "Out of memory");
    } catch (const std::exception& e) {
      result = batch::FailedStar(star, e.what());
    }
  }
  return {batch::StarRowsText(result, format, line.options.Layout()), result.warnings};
}

std::string FailedRows(const Args& args, const std::string& file,
                       const std::vector<std::string>& methods, const std::string& error) {
  const SurveyCommandLine line = Parse(args, true);
  const auto format = line.out.empty() ? batch::RowFormat::Csv : batch::FormatForFile(line.out);
  return batch::StarRowsText(batch::FailedStar(StarOf(file, methods), error), format,
                             line.options.Layout());
}

}  // namespace

void RegisterSurvey(py::module_& m) {
  gRefusedType = PyErr_NewExceptionWithDoc(
      "korvel._korvel.SurveyRefused",
      "A survey command line korvel-batch survey refuses: the message it prints (text, to "
      "stdout for help), and its exit code (exit_code).",
      PyExc_ValueError, nullptr);
  m.add_object("SurveyRefused", py::handle(gRefusedType));

  m.def("survey_command_line", &CommandLine, py::arg("args"),
        "Parses the arguments of korvel-batch survey (without the command's name) as it "
        "parses them: a dict of files (--list read, repeats dropped), methods, out, resume, "
        "progress, top, peaks, format ('csv' or 'jsonl'), jobs and jobs_given. Raises "
        "SurveyRefused.");
  m.def("survey_start_output", &StartOutput, py::arg("args"),
        "Makes OUT ready for rows to be appended (emptied, or with --resume its complete rows "
        "kept and a cut-off record removed): (header text to write first, set of (file, "
        "method) pairs already written). Raises SurveyRefused.");
  m.def("survey_plan", &Plan, py::arg("args"), py::arg("done"),
        "The stars still to search, each as (file, [method names]), in the survey's order.");
  m.def("survey_search_star", &SearchOneStar, py::arg("args"), py::arg("file"), py::arg("methods"),
        "Loads and searches one star as korvel-batch survey does, in its own format (the "
        "format options among args apply): (its rows as text in the output's format, the "
        "warnings for stderr). The GIL is released during the search.");
  m.def("survey_failed_rows", &FailedRows, py::arg("args"), py::arg("file"), py::arg("methods"),
        py::arg("error"), "The star's rows with only the error filled in, as text.");
  m.def("survey_progress_line", &batch::ProgressLine, py::arg("done"), py::arg("stars"),
        py::arg("elapsed"), "The progress bar of korvel-batch survey --progress.");
}

}  // namespace korvel::python
