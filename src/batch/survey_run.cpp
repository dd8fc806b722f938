#include "batch/survey_run.h"

#include <algorithm>
#include <mutex>
#include <new>
#include <sstream>
#include <thread>

#include "batch/batch_hooks.h"
#include "batch/file_messages.h"
#include "batch/load_options.h"
#include "io/file_paths.h"
#include "search/significance.h"
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

bool Wanted(const SurveyStar& star, SearchKind kind) {
  return std::find(star.methods.begin(), star.methods.end(), kind) != star.methods.end();
}

// The secondary period folds on lk's period: lk runs first whenever the
// secondary period runs, even when its own row was written before.
std::vector<SearchKind> RunOrder(const SurveyStar& star, const SurveyOptions& options) {
  std::vector<SearchKind> order;
  const bool needLk = Wanted(star, SearchKind::Secondary) && SecondaryUsesLkPeriod(options);
  if (needLk) order.push_back(SearchKind::LaflerKinman);
  for (const SearchKind kind : options.methods)
    if (Wanted(star, kind) && !(needLk && kind == SearchKind::LaflerKinman)) order.push_back(kind);
  return order;
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
  for (const SearchKind kind : star.methods) {
    SurveyRow row;
    row.file = star.file;
    row.method = MethodOf(kind).name;
    row.error = OneLine(error);
    result.rows.push_back(std::move(row));
  }
  return result;
}

std::string StarRowsText(const StarResult& star, RowFormat format, int top) {
  std::string text;
  for (const SurveyRow& row : star.rows) text += RowText(row, format, top);
  return text;
}

std::vector<SurveyStar> PlanSurvey(const SurveyOptions& options,
                                   const std::set<std::pair<std::string, std::string>>& done) {
  std::vector<SurveyStar> stars;
  for (const std::string& file : options.files) {
    SurveyStar star{file, {}};
    for (const SearchKind kind : options.methods)
      if (!done.contains({file, MethodOf(kind).name})) star.methods.push_back(kind);
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
  PrintReadWarnings(star.file, load.diagnostics, warnings);
  const std::string loadError = load.exitCode != kExitOk ? OneLine(load.message) : std::string();
  if (!load.loaded) return FailedStar(star, loadError);

  std::vector<SurveyRow> rows;
  double lkPeriod = 0;
  for (const SearchKind kind : RunOrder(star, options)) {
    SurveyRow row;
    row.file = star.file;
    row.method = MethodOf(kind).name;
    row.nobs = loaded.NObs;
    if (loaded.NObs >= 1) row.span = loaded.JD[loaded.NObs] - loaded.JD[1];
    BatchSearchRequest request;
    request.kind = kind;
    request.params = options.params;
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
        // Messages of a finished run (the histogram's check) are warnings.
        std::istringstream messages(err.str());
        for (std::string m; std::getline(messages, m);)
          if (!m.empty()) warnings << FileMessage(star.file, 0, m) << '\n';
        if (kind == SearchKind::LaflerKinman) lkPeriod = searched.result.best[0].period;
      }
    }
    row.error = Joined(loadError, searchError);
    if (Wanted(star, kind)) rows.push_back(std::move(row));
  }
  // Rows in the order of the methods, whatever order they ran in.
  StarResult result;
  for (const SearchKind kind : star.methods)
    for (SurveyRow& row : rows)
      if (row.method == MethodOf(kind).name) result.rows.push_back(std::move(row));
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

  const auto worker = [&] {
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

  const size_t workers =
      std::min<size_t>(static_cast<size_t>(std::max(1, options.jobs)), stars.size());
  {
    std::vector<std::jthread> pool;
    for (size_t w = 1; w < workers; ++w) pool.emplace_back(worker);
    if (workers > 0) worker();
  }
  outcome.cancelled = cancelled() && outcome.starsDone < static_cast<int64_t>(stars.size());
  return outcome;
}

}  // namespace korvel::batch
