#include "batch/fit_command.h"

#include <cmath>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>

#include "batch/file_messages.h"
#include "batch/load_options.h"
#include "core/error.h"
#include "core/text_format.h"
#include "io/file_paths.h"
#include "io/output_file.h"

namespace korvel::batch {

namespace {

struct FitArgs {
  LoadArgs load;
  FrequencyAnalysisOptions options;
  double fap = 0;
  CLI::Option* fapOption = nullptr;
  bool json = false, csv = false;
  std::string residuals;
};

nlohmann::ordered_json Number(double x) {
  return std::isfinite(x) ? nlohmann::ordered_json(x) : nlohmann::ordered_json(nullptr);
}

double Period(double f) {
  return f > 0 ? 1 / f : std::nan("");
}

void PrintText(const FrequencyAnalysis& r, std::ostream& out) {
  out << "Frequencies: " << r.frequencies.size() << " (stopped: " << r.stopText << ")\n";
  out << "Range: " << Str(r.fmin, 0, 6) << " .. " << Str(r.fmax, 0, 6) << " c/d\n";
  if (!r.frequencies.empty())
    out << "   n    frequency      error       period  amplitude      error    phase    error"
           "     S/N  label\n";
  for (size_t i = 0; i < r.frequencies.size(); ++i) {
    const AnalysedFrequency& a = r.frequencies[i];
    const FittedFrequency& f = a.fit;
    std::string label = a.label;
    if (!a.alias.empty()) label += (label.empty() ? "" : " ") + a.alias;
    out << Str(static_cast<int64_t>(i + 1), 4) << ' ' << Str(f.frequency, 12, 7) << ' '
        << Str(f.frequencyError, 10, 7) << ' ' << Str(Period(f.frequency), 12, 7) << ' '
        << Str(f.amplitude, 10, 5) << ' ' << Str(f.amplitudeError, 10, 5) << ' '
        << Str(f.phase, 8, 4) << ' ' << Str(f.phaseError, 8, 4) << ' ' << Str(a.snr, 7, 1) << "  "
        << label << '\n';
  }
  out << "Zero point: " << Str(r.zeroPoint, 0, 5) << '\n';
  if (!r.frequencies.empty()) out << "Epoch: " << Str(r.fit.epoch, 0, 5) << '\n';
  out << "Residual rms: " << Str(r.residualRms, 0, 5) << '\n';
  if (r.rejected)
    out << "Rejected: f = " << Str(r.rejected->frequency, 0, 6)
        << ", A = " << Str(r.rejected->amplitude, 0, 5) << ", S/N = " << Str(r.rejected->snr, 0, 2)
        << ", FAP = " << r.rejected->fap << '\n';
}

void PrintCsv(const FrequencyAnalysis& r, std::ostream& out) {
  out << "n,frequency,frequency_error,period,amplitude,amplitude_error,phase,phase_error,snr,"
         "label,alias\n";
  const nlohmann::ordered_json j = FitJson(r);
  size_t n = 0;
  for (const auto& f : j["frequencies"]) {
    out << ++n;
    for (const char* key : {"f", "f_err", "period", "amplitude", "amplitude_err", "phase",
                            "phase_err", "snr", "label", "alias"})
      out << ',' << (f[key].is_string() ? f[key].get<std::string>() : f[key].dump());
    out << '\n';
  }
}

// "JD residual" per observation, in the order of the file.
void WriteResiduals(const std::string& path, const AnalysisState& s, const FrequencyAnalysis& r) {
  std::string text;
  for (size_t k = 0; k < r.residuals.size(); ++k)
    text += Str(s.JD[k + 1], 0, 6) + ' ' + Str(r.residuals[k], 0, 6) + '\n';
  WriteWholeFile(path, text);
}

int RunFit(FitArgs args) {
  if (args.json && args.csv) {
    std::cerr << "--json and --csv exclude each other...\n";
    return kExitRefused;
  }
  if (args.fapOption->count() > 0) args.options.fap = args.fap;
  if (const auto problem =
          args.residuals.empty()
              ? std::nullopt
              : OutputIsInput(args.residuals, {args.load.file, args.load.analysis})) {
    std::cerr << *problem << '\n';
    return kExitRefused;
  }
  AnalysisState s;
  const LoadOutcome outcome = LoadForBatch(s, args.load, std::cerr);
  if (!outcome.loaded) return outcome.exitCode;
  const FrequencyAnalysis r = AnalyseObservations(s, args.options);
  if (!r.ok()) {
    std::cerr << r.problem << '\n';
    return kExitRefused;
  }
  if (!args.residuals.empty()) try {
      WriteResiduals(args.residuals, s, r);
    } catch (const KorvelError& e) {
      std::cerr << FileMessage(args.residuals, e) << '\n';
      return kExitWriteError;
    }
  if (args.json) {
    nlohmann::ordered_json j = FitJson(r);
    j["warnings"] = ReadWarningsJson(outcome.diagnostics, s.Loaded);
    std::cout << j.dump() << '\n';
  } else if (args.csv) {
    PrintCsv(r, std::cout);
  } else {
    PrintText(r, std::cout);
  }
  std::cout.flush();
  return outcome.exitCode;
}

}  // namespace

FrequencyAnalysis AnalyseObservations(const AnalysisState& s,
                                      const FrequencyAnalysisOptions& options) {
  const auto n = static_cast<size_t>(std::max(s.NObs, 0));
  const std::span<const double> t(s.JD.data() + (n > 0 ? 1 : 0), n),
      mag(s.Mag.data() + (n > 0 ? 1 : 0), n);
  std::span<const double> err;
  if (s.Err.size() == n + 1) err = std::span<const double>(s.Err.data() + 1, n);
  if (n < 2) {
    FrequencyAnalysis r;
    r.problem = "The fit needs at least two observations.";
    return r;
  }
  return AnalyseFrequencies(t, mag, err, options);
}

nlohmann::ordered_json FitJson(const FrequencyAnalysis& r) {
  nlohmann::ordered_json j;
  nlohmann::ordered_json list = nlohmann::ordered_json::array();
  for (const AnalysedFrequency& a : r.frequencies) {
    const FittedFrequency& f = a.fit;
    list.push_back({{"f", Number(f.frequency)},
                    {"period", Number(Period(f.frequency))},
                    {"amplitude", Number(f.amplitude)},
                    {"phase", Number(f.phase)},
                    {"f_err", Number(f.frequencyError)},
                    {"amplitude_err", Number(f.amplitudeError)},
                    {"phase_err", Number(f.phaseError)},
                    {"f_err_analytic", Number(f.frequencyErrorAnalytic)},
                    {"amplitude_err_analytic", Number(f.amplitudeErrorAnalytic)},
                    {"phase_err_analytic", Number(f.phaseErrorAnalytic)},
                    {"snr", Number(a.snr)},
                    {"label", a.label},
                    {"alias", a.alias}});
  }
  j["frequencies"] = list;
  j["zero_point"] = Number(r.zeroPoint);
  j["zero_point_error"] = r.frequencies.empty() ? nullptr : Number(r.fit.zeroPointError);
  j["epoch"] = r.frequencies.empty() ? nullptr : Number(r.fit.epoch);
  j["residual_rms"] = Number(r.residualRms);
  j["nobs"] = r.residuals.size();
  j["fmin"] = Number(r.fmin);
  j["fmax"] = Number(r.fmax);
  j["weighted"] = r.fit.weighted;
  j["stop_reason"] = StopReasonKey(r.stop);
  j["stop_text"] = r.stopText;
  if (r.rejected)
    j["rejected"] = {{"f", Number(r.rejected->frequency)},
                     {"amplitude", Number(r.rejected->amplitude)},
                     {"snr", Number(r.rejected->snr)},
                     {"fap", Number(r.rejected->fap)}};
  else
    j["rejected"] = nullptr;
  return j;
}

Command AddFitCommand(CLI::App& parent) {
  auto args = std::make_shared<FitArgs>();
  CLI::App* app = parent.add_subcommand(
      "fit",
      "Fit several frequencies at once: prewhiten automatically (highest residual peak, all "
      "refitted, until S/N < --snr) or fit --frequencies; print frequencies, amplitudes, "
      "phases, their errors, S/N and combination labels");
  AddLoadOptions(*app, args->load);
  FrequencyAnalysisOptions& o = args->options;
  app->add_option("--fmin", o.fmin, "Lowest frequency searched, c/d (default 1 / time span)");
  app->add_option("--fmax", o.fmax,
                  "Highest frequency searched, c/d (default half the inverse median gap between "
                  "observations, at most 50)");
  app->add_option("--snr", o.snrLimit, "S/N a frequency needs to be kept")->capture_default_str();
  app->add_option("--noise-box", o.noiseBox, "Width of the noise box round a frequency, c/d")
      ->capture_default_str();
  app->add_option("--max-frequencies", o.maxFrequencies, "Most frequencies kept, 1 .. 100")
      ->capture_default_str();
  args->fapOption =
      app->add_option("--fap", args->fap,
                      "Stop when the highest peak's false-alarm probability exceeds this "
                      "(default: no such limit)");
  app->add_option("--frequencies", o.frequencies,
                  "Fit these frequencies (c/d, comma-separated) as starts instead of searching")
      ->delimiter(',');
  app->add_option("--residuals", args->residuals, "Write JD and residual per observation here");
  app->add_flag("--json", args->json, kJsonHelp);
  app->add_flag("--csv", args->csv, "Print one CSV row per frequency, with a header");
  return {app, [args] { return RunFit(*args); }};
}

}  // namespace korvel::batch
