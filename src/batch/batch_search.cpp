#include "batch/batch_search.h"

#include <ostream>

#include "batch/batch_hooks.h"
#include "batch/load_options.h"
#include "core/error.h"

namespace korvel::batch {

namespace {

// The Deeming engine asks for the spectrum file name even when it writes no
// file: the default text of the window's edit.
constexpr const char* kDefaultSpectrumFile = "SpFName.dat";

}  // namespace

BatchSearchOutcome RunBatchSearch(AnalysisState& s, const BatchSearchRequest& request,
                                  std::ostream& err) {
  BatchSearchOutcome outcome;
  const SearchKind kind = request.kind;
  SearchParameters params = request.params;
  if (kind == SearchKind::Secondary && !request.pmaxGiven) params.pmax = kDefaultSecondaryPmax;
  if (const auto refusal = ApplySearchParameters(s, kind, params)) {
    err << *refusal << '\n';
    if (kind == SearchKind::Secondary && !request.periodGiven)
      err << "The secondary period needs the primary period: --period P\n";
    outcome.exitCode = kExitRefused;
    return outcome;
  }
  // The panel's switches: "Window spectrum" and "Spectrum to file".
  if (kind == SearchKind::Deeming) {
    s.WindowSpec = request.window;
    if (request.spectrumFile) s.SpecToFile = true;
  }
  if (const auto refusal = CheckSearchable(s, kind)) {
    err << *refusal << '\n';
    outcome.exitCode = kExitRefused;
    return outcome;
  }

  StartSearch(s, kind);
  const std::string fileName = request.spectrumFile.value_or(kDefaultSpectrumFile);
  BatchSearchHooks hooks(s, fileName, request.progress);
  try {
    RunSearch(s, kind, hooks);
  } catch (const KorvelError& e) {
    // Only the spectrum file can fail; the engine has ended the run cleanly.
    hooks.FinishProgress();
    for (const std::string& m : hooks.Messages()) err << m << '\n';
    err << e.what() << ": " << fileName << '\n';
    outcome.exitCode = kExitWriteError;
    return outcome;
  }
  hooks.FinishProgress();
  for (const std::string& m : hooks.Messages()) err << m << '\n';
  outcome.status = hooks.Status();
  outcome.trials = TrialsMade(kind, hooks.Calls());
  // An engine that refuses the run says why on the status line.
  if (outcome.status.rfind("Done...", 0) != 0) {
    err << outcome.status << '\n';
    outcome.exitCode = kExitRefused;
  }
  return outcome;
}

}  // namespace korvel::batch
