// The survey in one process: 500 synthetic stars (korvel-make-survey, seeded,
// written once into a scratch directory), Lafler-Kinman and Deeming on each
// over periods 0.2 to 1 d with phase shift 0.05, on two threads. Reports
// stars per second, the mean trials per star and, per method, the share of
// stars whose best period is within 1 % of the true one (for eclipsing
// binaries also of half or twice it; constant stars are left out).
//
// SurveyLongStars: the end of a survey of long light curves, 650
// observations over 2000 days searched over periods of 1 to 100 d, on one
// or two threads: 3 stars on two threads leave one worker without a star
// while the last one runs.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "batch/survey_options.h"
#include "batch/survey_run.h"

namespace korvel::batch {
namespace {

constexpr int kStars = 500;
constexpr int kJobs = 2;

struct Truth {
  std::string type;
  double period = 0;
};

// The generated survey, removed when the program ends.
class SyntheticSurvey {
 public:
  // shape: options of the generator.
  SyntheticSurvey(int stars, const std::string& name, const std::string& shape) {
    dir_ = std::filesystem::temp_directory_path() /
           ("korvel-survey-bench-" + name + "-" + std::to_string(getpid()));
    // korvel_bench and korvel-make-survey are built side by side.
    char self[PATH_MAX] = {};
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    const std::filesystem::path generator =
        std::filesystem::path(std::string(self, n > 0 ? static_cast<size_t>(n) : 0))
            .parent_path()
            .parent_path() /
        "samples" / "korvel-make-survey";
    const std::string command = "'" + generator.string() + "' " + shape + " -- '" + dir_.string() +
                                "' " + std::to_string(stars) + " >/dev/null";
    if (std::system(command.c_str()) != 0) {
      error_ = "cannot run " + generator.string();
      return;
    }
    std::ifstream truth(dir_ / "truth.csv");
    std::string line;
    std::getline(truth, line);  // the header
    while (std::getline(truth, line)) {
      std::istringstream fields(line);
      std::string file, type, period;
      std::getline(fields, file, ',');
      std::getline(fields, type, ',');
      std::getline(fields, period, ',');
      const std::string path = (dir_ / file).string();
      files_.push_back(path);
      truth_[path] = {type, std::stod(period)};
    }
  }
  ~SyntheticSurvey() {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }

  const std::string& Error() const { return error_; }
  const std::vector<std::string>& Files() const { return files_; }

  // Whether a best period counts as the star's period; constant stars have none.
  std::optional<bool> Recovered(const std::string& file, double found) const {
    const Truth& t = truth_.at(file);
    if (t.type == "constant") return std::nullopt;
    const auto near = [found](double p) { return std::abs(found - p) <= 0.01 * p; };
    if (near(t.period)) return true;
    return t.type == "eclipsing" && (near(t.period / 2) || near(2 * t.period));
  }

 private:
  std::filesystem::path dir_;
  std::string error_;
  std::vector<std::string> files_;
  std::map<std::string, Truth> truth_;
};

const SyntheticSurvey& Survey() {
  static const SyntheticSurvey survey(kStars, "short", "");
  return survey;
}

const SyntheticSurvey& LongStars() {
  static const SyntheticSurvey survey(3, "long", "--observations 650 --span 2000 --periods 1 100");
  return survey;
}

// Lafler-Kinman and Deeming on every star of the survey, periods pmin to
// pmax at phase shift 0.05.
SurveyOptions LkDeeming(const SyntheticSurvey& survey, double pmin, double pmax, int jobs) {
  SurveyOptions options;
  options.files = survey.Files();
  options.methods = {SearchKind::LaflerKinman, SearchKind::Deeming};
  options.params.pmin = pmin;
  options.params.pmax = pmax;
  options.pmaxGiven = true;
  options.params.phaseShift = 0.05;
  options.top = 1;
  options.jobs = jobs;
  return options;
}

void BM_SurveyLkDeeming(benchmark::State& state) {
  const SyntheticSurvey& survey = Survey();
  if (!survey.Error().empty()) {
    state.SkipWithError(survey.Error().c_str());
    return;
  }
  const SurveyOptions options = LkDeeming(survey, 0.2, 1, kJobs);
  const std::vector<SurveyStar> stars = PlanSurvey(options, {});

  std::map<std::string, std::pair<int, int>> recovered;  // method: (recovered, counted)
  double trials = 0;
  int rows = 0;
  for (auto _ : state) {
    recovered.clear();
    trials = 0;
    rows = 0;
    RunSurvey(options, stars, [&](const StarResult& star) {
      for (const SurveyRow& row : star.rows) {
        ++rows;
        if (!row.error.empty() || row.best.empty()) continue;
        trials += static_cast<double>(row.trials.value_or(0));
        if (const auto hit = survey.Recovered(row.file, row.best.front().period)) {
          recovered[row.method].first += *hit ? 1 : 0;
          ++recovered[row.method].second;
        }
      }
    });
  }
  state.counters["stars_per_s"] = benchmark::Counter(static_cast<double>(stars.size()),
                                                     benchmark::Counter::kIsIterationInvariantRate);
  state.counters["trials_per_star"] = rows > 0 ? trials / rows : 0;
  for (const auto& [method, counts] : recovered)
    state.counters[method + "_recovered"] =
        counts.second > 0 ? static_cast<double>(counts.first) / counts.second : 0;
}
BENCHMARK(BM_SurveyLkDeeming)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);

void BM_SurveyLongStars(benchmark::State& state) {
  const SyntheticSurvey& survey = LongStars();
  if (!survey.Error().empty()) {
    state.SkipWithError(survey.Error().c_str());
    return;
  }
  const SurveyOptions options = LkDeeming(survey, 1, 100, static_cast<int>(state.range(0)));
  const std::vector<SurveyStar> stars = PlanSurvey(options, {});
  for (auto _ : state) RunSurvey(options, stars, [](const StarResult&) {});
  state.counters["stars_per_s"] = benchmark::Counter(static_cast<double>(stars.size()),
                                                     benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_SurveyLongStars)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace korvel::batch
