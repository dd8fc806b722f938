#include "batch/stats_command.h"

#include <charconv>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "batch/file_messages.h"
#include "batch/load_options.h"
#include "core/text_format.h"

namespace korvel::batch {

namespace {

struct StatsArgs {
  LoadArgs load;
  bool json = false;
};

// The shortest text that reads back as the same double: readable, and exact.
std::string Exact(double x) {
  char buf[32];
  const auto result = std::to_chars(buf, buf + sizeof buf, x);
  return std::string(buf, result.ptr);
}

int RunStats(const StatsArgs& args) {
  AnalysisState s;
  const LoadOutcome outcome = LoadForBatch(s, args.load, std::cerr);
  if (!outcome.loaded) return outcome.exitCode;
  if (args.json)
    PrintStatsJson(s, outcome, std::cout);
  else
    PrintStatsText(s, std::cout);
  std::cout.flush();
  return outcome.exitCode;
}

}  // namespace

Command AddStatsCommand(CLI::App& parent) {
  auto args = std::make_shared<StatsArgs>();
  CLI::App* app = parent.add_subcommand(
      "stats",
      "Load an observation file and print its number of observations, mean, variance "
      "and ranges");
  AddLoadOptions(*app, args->load);
  app->add_flag("--json", args->json, kJsonHelp);
  return {app, [args] { return RunStats(*args); }};
}

void PrintStatsText(const AnalysisState& s, std::ostream& out) {
  out << "File: " << s.DataFileName << '\n';
  out << "NObs: " << s.NObs << '\n';
  if (s.NObs <= 0) {
    // Mean and variance of nothing are not numbers worth printing.
    out << "No observations passed the filters\n";
    return;
  }
  out << "MagMean: " << Exact(s.MagMean) << '\n';
  out << "MagVar: " << Exact(s.MagVar) << '\n';
  out << "JD: " << Exact(s.DataJDmin) << " .. " << Exact(s.DataJDmax) << '\n';
  out << "Mag: " << Exact(s.DataMagMin) << " .. " << Exact(s.DataMagMax) << '\n';
}

nlohmann::ordered_json StatsJson(const AnalysisState& s, const ReadDiagnostics& read) {
  nlohmann::ordered_json j;
  j["nobs"] = s.NObs;
  const auto value = [&s](double x) {
    return s.NObs > 0 ? nlohmann::ordered_json(x) : nlohmann::ordered_json(nullptr);
  };
  j["mag_mean"] = value(s.MagMean);
  j["mag_var"] = value(s.MagVar);
  j["jd_min"] = value(s.DataJDmin);
  j["jd_max"] = value(s.DataJDmax);
  j["mag_min"] = value(s.DataMagMin);
  j["mag_max"] = value(s.DataMagMax);
  j["warnings"] = ReadWarningsJson(read, s.Loaded);
  return j;
}

nlohmann::ordered_json StatsJson(const AnalysisState& s, const LoadOutcome& load) {
  nlohmann::ordered_json j = StatsJson(s, load.diagnostics);
  j.update(LoadedFormatJson(s.Loaded));
  return j;
}

void PrintStatsJson(const AnalysisState& s, const LoadOutcome& load, std::ostream& out) {
  // dump() writes doubles in their shortest round-trip form.
  out << StatsJson(s, load).dump() << '\n';
}

}  // namespace korvel::batch
