#include "batch/survey_run.h"

#include <algorithm>
#include <cmath>
#include <mutex>
#include <new>
#include <sstream>
#include <system_error>
#include <thread>

#include "batch/batch_hooks.h"
#include "batch/file_messages.h"
#include "batch/fit_command.h"
#include "batch/load_options.h"
#include "batch/search_peaks.h"
#include "io/file_paths.h"
#include "search/adopt.h"
#include "search/significance.h"
#include "search/trial_loop.h"
#include "search/trial_record.h"

namespace korvel::batch {

namespace {

// Lines of messages as one field: a row is one record.
std::string OneLine(const std::string& text) {
  std::string line;
  std::istringstream lines(text);
  for (std::string l; std::getline(lines, l);) {
    if (l.empty()) continue;
    if (!line.empty()) line += "; ";
    line += l;
  }
  return line;
}

std::string Joined(const std::string& a, const std::string& b) {
  return a.empty() ? b : b.empty() ? a : a + "; " + b;
}

bool Wanted(const SurveyStar& star, const SurveyMethod& method) {
  return std::find(star.methods.begin(), star.methods.end(), method) != star.methods.end();
}

// The searches a star's rows need, each once: the secondary period folds on
// lk's period, so lk runs first whenever the secondary period runs, even when
// its own row was written before; the adopted period needs lk and deeming.
std::vector<SearchKind> RunOrder(const SurveyStar& star, const SurveyOptions& options) {
  std::vector<SearchKind> order;
  const auto add = [&order](SearchKind kind) {
    if (std::find(order.begin(), order.end(), kind) == order.end()) order.push_back(kind);
  };
  if (Wanted(star, SearchKind::Secondary) && SecondaryUsesLkPeriod(options))
    add(SearchKind::LaflerKinman);
  for (const SurveyMethod& method : options.methods) {
    if (!Wanted(star, method)) continue;
    if (method.Search()) {
      add(*method.Search());
    } else if (method.IsAdopted()) {
      add(SearchKind::LaflerKinman);
      add(SearchKind::Deeming);
    }
  }
  return order;
}

bool AdoptionSearch(SearchKind kind) {
  return kind == SearchKind::LaflerKinman || kind == SearchKind::Deeming;
}

std::optional<double> Finite(double x) {
  return std::isfinite(x) ? std::optional<double>(x) : std::nullopt;
}

void FillPeaks(const std::vector<PeakReport>& peaks, SurveyRow& row) {
  for (const PeakReport& p : peaks)
    row.peaks.push_back({p.problem.empty() ? p.fittedPeriod : p.peak.period, Finite(p.periodError),
                         Finite(p.Fap()), p.peak.label});
}

// The fit's row: its frequencies in the places of the best list (period,
// amplitude as the statistic, frequency) and of the distinct peaks (period,
// its error, the combination label), the stop rule as the status; the whole
// fit in JSON lines.
void FillFit(const FrequencyAnalysis& r, int top, SurveyRow& row) {
  if (!r.ok()) {
    row.error = r.problem;
    return;
  }
  for (const AnalysedFrequency& a : r.frequencies) {
    const double f = a.fit.frequency;
    if (static_cast<int>(row.best.size()) < top) row.best.push_back({1 / f, a.fit.amplitude, f});
    std::string label = a.label.empty() ? a.alias : a.label;
    row.peaks.push_back({1 / f, Finite(a.fit.frequencyError / (f * f)), std::nullopt, label});
  }
  row.status = "Stopped: " + r.stopText;
  row.fit = FitJson(r);
}

// The adopted period as its row holds it: the value in the first peak's
// columns, where it came from and why in its label.
void FillAdopted(const AdoptedPeriod& adopted, SurveyRow& row) {
  if (!adopted.ok()) {
    row.error = adopted.problem;
    return;
  }
  row.peaks.push_back(
      {adopted.period, Finite(adopted.error), Finite(adopted.fap),
       adopted.method + " peak " + std::to_string(adopted.peak + 1) + ": " + adopted.reason});
}

// The results korvel-batch search --json prints, cut to the row's fields.
void FillResults(const SearchResult& r, int top, SurveyRow& row) {
  // Places no trial reached stay empty, as in search's list.
  for (int k = 0; k < std::min(top, FilledPlaces(r.best)); ++k) {
    const BestTrial& t = r.best[static_cast<size_t>(k)];
    row.best.push_back({t.period, t.value, t.freq});
  }
  if (!MethodOf(r.method).deeming || !r.amplitudes) return;
  row.sigma = r.amplitudes->Sigma;
  if (r.amplitudes->AmpTrials > 0) {
    const SigLevels levels = SignificanceLevels(*r.amplitudes);
    row.level99 = levels[2];
    row.level999 = levels[3];
  }
}

}  // namespace

StarResult FailedStar(const SurveyStar& star, const std::string& error) {
  StarResult result;
  for (const SurveyMethod& method : star.methods) {
    SurveyRow row;
    row.file = star.file;
    row.method = method.Name();
    row.error = OneLine(error);
    result.rows.push_back(std::move(row));
  }
  return result;
}

std::string StarRowsText(const StarResult& star, RowFormat format, const RowLayout& layout) {
  std::string text;
  for (const SurveyRow& row : star.rows) text += RowText(row, format, layout);
  return text;
}

std::vector<SurveyStar> PlanSurvey(const SurveyOptions& options,
                                   const std::set<std::pair<std::string, std::string>>& done) {
  std::vector<SurveyStar> stars;
  for (const std::string& file : options.files) {
    SurveyStar star{file, {}};
    for (const SurveyMethod& method : options.methods)
      if (!done.contains({file, method.Name()})) star.methods.push_back(method);
    if (!star.methods.empty()) stars.push_back(std::move(star));
  }
  return stars;
}

StarResult SearchStar(const SurveyStar& star, const SurveyOptions& options, int threads) {
  // Never opened: a pipe would block the survey and a device never end.
  if (const auto problem = InputKindProblem(star.file)) return FailedStar(star, *problem);
  AnalysisState loaded;
  // The row takes the load's error (load.message) and stderr its warnings,
  // each apart: the text LoadForBatch writes is not needed.
  std::ostringstream loadText, warnings;
  const LoadOutcome load = LoadForBatch(loaded, {star.file, options.read, {}}, loadText);
  const std::string loadError = load.exitCode != kExitOk ? OneLine(load.message) : std::string();
  if (!load.loaded) return FailedStar(star, loadError);
  const bool archive = loaded.Loaded.format != ObservationFormat::Plain;
  // An archive's file: what was kept and dropped, as every command says it.
  PrintReadWarnings(star.file, load.diagnostics, loaded.Loaded, warnings);

  // A row of the star: its file, the method, and the observations loaded.
  const auto newRow = [&](const std::string& method) {
    SurveyRow row;
    row.file = star.file;
    row.method = method;
    row.nobs = loaded.NObs;
    if (loaded.NObs >= 1) row.span = loaded.JD[loaded.NObs] - loaded.JD[1];
    if (archive) row.read = loaded.Loaded;
    return row;
  };
  const bool adopting = Wanted(star, SurveyMethod::Adopted());
  std::vector<SurveyRow> rows;
  std::vector<PeakList> adoptionLists;
  std::string adoptionError;
  double lkPeriod = 0;
  for (const SearchKind kind : RunOrder(star, options)) {
    SurveyRow row = newRow(MethodOf(kind).name);
    BatchSearchRequest request;
    request.kind = kind;
    request.params = options.params;
    request.methods = options.methodParams;
    request.pmaxGiven = options.pmaxGiven;
    request.periodGiven = options.periodGiven;
    request.maxTrials = options.maxTrials;
    request.threads = threads;
    request.cancel = options.cancel;
    std::string searchError;
    if (kind == SearchKind::Secondary && SecondaryUsesLkPeriod(options)) {
      request.params.period = lkPeriod;
      request.periodGiven = true;
      if (lkPeriod <= 0) searchError = "No Lafler-Kinman period to fold the secondary period on...";
    }
    const bool forAdoption = adopting && AdoptionSearch(kind);
    if (searchError.empty()) {
      // Each method starts from the state as loaded, as a separate run would.
      AnalysisState s = loaded;
      std::ostringstream err;
      const BatchSearchOutcome searched = RunBatchSearch(s, request, err);
      if (!searched.status.empty()) {
        row.trials = searched.result.statistic.trials;
        row.status = searched.status;
      }
      if (searched.exitCode) {
        searchError = OneLine(err.str());
      } else {
        FillResults(searched.result, options.top, row);
        // One list of peaks serves the row and the adoption.
        if (options.peaks.count > 0 && (Wanted(star, kind) || forAdoption)) {
          std::vector<PeakReport> peaks = SearchPeaks(searched.result, searched.search,
                                                      ObservationsOf(s), options.peaks, threads);
          FillPeaks(peaks, row);
          if (forAdoption) adoptionLists.push_back({MethodOf(kind).name, std::move(peaks)});
        }
        // Messages of a finished run (the histogram's check) are warnings.
        std::istringstream messages(err.str());
        for (std::string m; std::getline(messages, m);)
          if (!m.empty()) warnings << FileMessage(star.file, 0, m) << '\n';
        if (kind == SearchKind::LaflerKinman) lkPeriod = searched.result.best[0].period;
      }
    }
    if (forAdoption && adoptionError.empty()) adoptionError = searchError;
    row.error = Joined(loadError, searchError);
    if (Wanted(star, kind)) rows.push_back(std::move(row));
  }
  if (adopting) {
    // Both searches or none: a period adopted from one would not be the rule's.
    SurveyRow row = newRow(SurveyMethod::Adopted().Name());
    if (adoptionError.empty()) FillAdopted(AdoptPeriod(adoptionLists, ObservationsOf(loaded)), row);
    row.error = Joined(loadError, Joined(adoptionError, row.error));
    rows.push_back(std::move(row));
  }
  if (Wanted(star, SurveyMethod::Fit())) {
    SurveyRow row = newRow(SurveyMethod::Fit().Name());
    FillFit(AnalyseObservations(loaded, {}), options.top, row);
    row.error = Joined(loadError, row.error);
    rows.push_back(std::move(row));
  }
  // Rows in the order of the methods, whatever order they ran in.
  StarResult result;
  for (const SurveyMethod& method : star.methods)
    for (SurveyRow& row : rows)
      if (row.method == method.Name()) result.rows.push_back(std::move(row));
  result.warnings = warnings.str();
  return result;
}

SurveyOutcome RunSurvey(const SurveyOptions& options, const std::vector<SurveyStar>& stars,
                        const std::function<void(const StarResult&)>& onStar) {
  const auto cancelled = [&options] {
    return options.cancel != nullptr && options.cancel->load(std::memory_order_relaxed);
  };
  std::mutex poolMutex, reportMutex;
  size_t next = 0;
  int coresInUse = 0;  // trial threads of the searches running
  SurveyOutcome outcome;

  const size_t workers =
      std::min<size_t>(static_cast<size_t>(std::max(1, options.jobs)), stars.size());
  // A worker that finds no star left lends itself to the searches of the
  // stars still running, so that every core stays busy to the last star.
  TrialHelp help(static_cast<int>(workers));

  const auto runStars = [&] {
    const TrialHelp::Member member(help);
    for (;;) {
      size_t index = 0;
      int threads = 1;
      {
        const std::lock_guard lock(poolMutex);
        if (next >= stars.size() || cancelled()) return;
        index = next++;
        // The cores no search holds, shared among the stars still to start.
        const int idle = options.jobs - coresInUse;
        const auto starsLeft = static_cast<int>(std::min<size_t>(stars.size() - index, 1 << 20));
        threads = std::max(1, idle / starsLeft);
        coresInUse += threads;
      }
      StarResult result;
      bool finished = true;
      try {
        result = SearchStar(stars[index], options, threads);
      } catch (const SearchCancelled&) {
        finished = false;
      } catch (const std::bad_alloc&) {
        result = FailedStar(stars[index], "Out of memory");
      } catch (const std::exception& e) {
        result = FailedStar(stars[index], e.what());
      }
      {
        const std::lock_guard lock(poolMutex);
        coresInUse -= threads;
      }
      if (!finished) return;
      const std::lock_guard lock(reportMutex);
      onStar(result);
      ++outcome.starsDone;
    }
  };
  const auto worker = [&] {
    // Served however the stars ended, or the others would wait for this one.
    const struct Served {
      TrialHelp& help;
      ~Served() { help.Serve(); }
    } served{help};
    runStars();
  };

  {
    std::vector<std::jthread> pool;
    // Fewer workers if the system will not give more threads.
    for (size_t w = 1; w < workers; ++w) {
      try {
        pool.emplace_back(worker);
      } catch (const std::system_error&) {
        help.Absent(static_cast<int>(workers - w));
        break;
      }
    }
    if (workers > 0) worker();
  }
  outcome.cancelled = cancelled() && outcome.starsDone < static_cast<int64_t>(stars.size());
  return outcome;
}

}  // namespace korvel::batch
