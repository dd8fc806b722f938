#include "batch/wave_command.h"

#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <utility>

#include "batch/file_messages.h"
#include "batch/json_output.h"
#include "batch/load_options.h"
#include "batch/mean_curve_run.h"
#include "core/text_format.h"
#include "io/file_paths.h"
#include "io/text_reader.h"
#include "lightcurve/document_light_curve.h"
#include "lightcurve/mean_curve_file.h"

namespace korvel::batch {

namespace {

struct MeanCurveArgs {
  LoadArgs load;
  MeanCurveRequest request;
  bool json = false;
  // --period, --epoch, --points, --bin-length: an analysis fills those not given.
  CLI::Option *period = nullptr, *epoch = nullptr, *points = nullptr, *binLength = nullptr;
};

struct PrewhitenArgs {
  MeanCurveArgs curve;
  int32_t curveNumber = 1;
  std::string collect, residuals;
};

struct ModelArgs {
  std::string file;
  double from = 0, to = 0;
  int32_t samples = 1001;
  bool json = false;
};

void AddMeanCurveOptions(CLI::App& app, MeanCurveArgs& args) {
  AddLoadOptions(app, args.load);
  args.period = app.add_option("--period", args.request.period,
                               "Period to fold on, days (required without --analysis)");
  args.epoch = app.add_option("--epoch", args.request.epoch,
                              "Initial date (phase 0), JD (required without --analysis)");
  args.points =
      app.add_option("--points", args.request.points, "Number of average points, 1 < N < 100")
          ->capture_default_str();
  args.binLength = app.add_option("--bin-length", args.request.binLength,
                                  "Length of the average bin, 0 < L <= 0.25")
                       ->capture_default_str();
  app.add_flag("--json", args.json, kJsonHelp);
}

// Loads the observations and computes the mean curve as Wave does; false
// when the command must end, with its exit code in outcome.
bool LoadAndSmooth(AnalysisState& s, const MeanCurveArgs& args, LoadOutcome& outcome) {
  const auto refuse = [&outcome](const std::string& problem) {
    std::cerr << problem << '\n';
    outcome.exitCode = kExitRefused;
    return false;
  };
  const bool fromAnalysis = !args.load.analysis.empty();
  if (!fromAnalysis && (args.period->count() == 0 || args.epoch->count() == 0))
    return refuse("--period and --epoch are required without --analysis...");
  // Refused before the file is read, where the command line says it all.
  if (const auto problem = MeanCurveProblem(args.request); problem && !fromAnalysis)
    return refuse(*problem);
  outcome = LoadForBatch(s, args.load, std::cerr);
  if (!outcome.loaded) return false;
  MeanCurveRequest request = args.request;
  if (outcome.analysis) {
    const AnalysisDocument& d = *outcome.analysis;
    if (args.period->count() == 0) request.period = d.elements.period;
    if (args.epoch->count() == 0) request.epoch = d.elements.epoch;
    if (args.points->count() == 0 && d.meanCurve.points > 1) request.points = d.meanCurve.points;
    if (args.binLength->count() == 0 && d.meanCurve.binLength > 0)
      request.binLength = d.meanCurve.binLength;
    if (const auto problem = MeanCurveProblem(request)) return refuse(*problem);
  }
  SmoothObservations(s, request);
  return true;
}

void PrintMeanCurve(const AnalysisState& s, const ReadDiagnostics& read, bool json) {
  if (json) {
    nlohmann::ordered_json j = MeanCurveJson(s);
    j["warnings"] = ReadWarningsJson(read, s.Loaded);
    std::cout << j.dump() << '\n';
    return;
  }
  std::cout << "Points: " << s.MeanPoints << '\n';
  std::cout << "  phase      mag  phase_err   mag_err count\n";
  for (int32_t k = 1; k <= s.MeanPoints; ++k)
    std::cout << Str(s.MeanPhase[k], 7, 4) << ' ' << Str(s.MeanMag[k], 8, 4) << ' '
              << Str(s.MeanPhaseErr[k], 10, 5) << ' ' << Str(s.MeanMagErr[k], 9, 5) << ' '
              << Str(s.MeanCount[k], 5, 0) << '\n';
  std::cout << "Mag: " << Str(s.MeanMagLow, 0, 4) << " .. " << Str(s.MeanMagHigh, 0, 4) << '\n';
}

int RunWave(const MeanCurveArgs& args) {
  AnalysisState s;
  LoadOutcome outcome;
  if (!LoadAndSmooth(s, args, outcome)) return outcome.exitCode;
  PrintMeanCurve(s, outcome.diagnostics, args.json);
  std::cout.flush();
  return outcome.exitCode;
}

void PrintResiduals(const AnalysisState& s, const ReadDiagnostics& read, bool json) {
  if (json) {
    nlohmann::ordered_json j = ResidualStatsJson(s);
    j["warnings"] = ReadWarningsJson(read, s.Loaded);
    PrintJsonWithArray(std::cout, j, "residuals", s.NObs, [&s](int64_t k) {
      return nlohmann::ordered_json(s.Mag[static_cast<size_t>(k + 1)]);
    });
    return;
  }
  std::cout << "NObs: " << s.NObs << '\n';
  std::cout << "MagMean: " << Str(s.MagMean, 0, 6) << '\n';
  std::cout << "MagVar: " << Str(s.MagVar, 0, 8) << '\n';
  std::cout << "Mag: " << Str(s.DataMagMin, 0, 4) << " .. " << Str(s.DataMagMax, 0, 4) << '\n';
}

int RunPrewhiten(const PrewhitenArgs& args) {
  AnalysisState s;
  LoadOutcome outcome;
  if (const auto problem = CurveNumberProblem(args.curveNumber)) {
    std::cerr << *problem << '\n';
    return kExitRefused;
  }
  for (const std::string& output : {args.collect, args.residuals})
    if (const auto problem = OutputIsInput(output, {args.curve.load.analysis})) {
      std::cerr << *problem << '\n';
      return kExitRefused;
    }
  if (!LoadAndSmooth(s, args.curve, outcome)) return outcome.exitCode;
  // Residuals of a set cut short by a malformed line would pass for the
  // whole set in the files written.
  if (outcome.exitCode != kExitOk) {
    std::cerr << "Nothing written: the file was not read to its end...\n";
    return outcome.exitCode;
  }
  if (const StepOutcome done = PrewhitenSmoothed(s, args.curveNumber, args.collect, args.residuals);
      done.exitCode != kExitOk) {
    std::cerr << done.message << '\n';
    return done.exitCode;
  }
  PrintResiduals(s, outcome.diagnostics, args.curve.json);
  std::cout.flush();
  return kExitOk;
}

constexpr int32_t kMaxModelSamples = 10000000;

int RunModel(const ModelArgs& args) {
  if (args.samples < 1) {
    std::cerr << "At least one sample is needed...\n";
    return kExitRefused;
  }
  // More would be an output of gigabytes that no one reads.
  if (args.samples > kMaxModelSamples) {
    std::cerr << "At most " << kMaxModelSamples << " samples...\n";
    return kExitRefused;
  }
  AnalysisState s;
  ReadDiagnostics diagnostics;
  if (const StepOutcome loaded = LoadModel(s, args.file, diagnostics); loaded.exitCode != kExitOk) {
    std::cerr << loaded.message << '\n';
    return loaded.exitCode;
  }
  PrintReadWarnings(args.file, diagnostics, std::cerr);
  // Every sample is computed as it is printed: no size costs memory.
  const auto sample = [&args, &s](int64_t k) {
    const double t =
        args.samples == 1 ? args.from : args.from + (args.to - args.from) * k / (args.samples - 1);
    return std::pair<double, double>(t, ModelValue(s, t));
  };
  if (args.json) {
    nlohmann::ordered_json j;
    j["curves"] = s.MLCCurves;
    j["warnings"] = ReadWarningsJson(diagnostics);
    PrintJsonWithArray(std::cout, j, "samples", args.samples, [&sample](int64_t k) {
      const auto [t, m] = sample(k);
      return nlohmann::ordered_json{{"t", t}, {"mag", m}};
    });
  } else {
    for (int64_t k = 0; k < args.samples; ++k) {
      const auto [t, m] = sample(k);
      std::cout << Str(t, 0, 6) << ' ' << Str(m, 0, 6) << '\n';
    }
  }
  std::cout.flush();
  return kExitOk;
}

}  // namespace

Command AddWaveCommand(CLI::App& parent) {
  auto args = std::make_shared<MeanCurveArgs>();
  CLI::App* app = parent.add_subcommand(
      "wave", "Fold the observations on a period and print their moving-average mean light curve");
  AddMeanCurveOptions(*app, *args);
  return {app, [args] { return RunWave(*args); }};
}

Command AddPrewhitenCommand(CLI::App& parent) {
  auto args = std::make_shared<PrewhitenArgs>();
  CLI::App* app = parent.add_subcommand(
      "prewhiten",
      "Subtract the mean light curve of a period from the observations: append the curve to "
      "the collecting file, write the residuals as an observation file and print their "
      "statistics");
  AddMeanCurveOptions(*app, args->curve);
  app->add_option("--curve", args->curveNumber, "Number of the mean light curve, 1 .. 100")
      ->capture_default_str();
  app->add_option("--collect", args->collect,
                  "Collecting file the mean curve is appended to (created if missing)");
  app->add_option("--residuals", args->residuals,
                  "Residual file written (overwritten if it exists)");
  return {app, [args] { return RunPrewhiten(*args); }};
}

Command AddModelCommand(CLI::App& parent) {
  auto args = std::make_shared<ModelArgs>();
  CLI::App* app = parent.add_subcommand(
      "model", "Print the periodic model M(t) of a collecting file over a range of dates");
  app->add_option("file", args->file, "Collecting file of mean light curves")->required();
  app->add_option("--from", args->from, "First date, JD")->required();
  app->add_option("--to", args->to, "Last date, JD")->required();
  app->add_option("--samples", args->samples, "Number of equally spaced dates")
      ->capture_default_str();
  app->add_flag("--json", args->json, "Print one JSON object instead of text");
  return {app, [args] { return RunModel(*args); }};
}

}  // namespace korvel::batch
