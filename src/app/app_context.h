// The command layer's view of the program: the analysis state, the platform
// and the little the commands remember between calls.
#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <new>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "app/platform.h"
#include "core/analysis_state.h"
#include "core/messages.h"
#include "lightcurve/frequency_analysis.h"
#include "search/adopt.h"
#include "search/search_values.h"

namespace korvel {

struct AnalysisDocument;

// What the magnitudes in memory are when they are no longer the file's; the
// caption says it.
struct MagnitudeCondition {
  bool residuals = false;  // a mean curve was subtracted (Prewhitening)
  bool shuffled = false;   // dealt anew to the dates (Chaos)
};

// The observations as they were before a change Undo can take back.
struct ObservationSnapshot {
  std::string change;  // what the change was, for the status line
  rarray JD, Mag, Err;
  iarray Marks, LoadIndex;
  bool SaveAll = false, SelMade = false;
  int32_t ShuffleCount = 0;
  MagnitudeCondition condition;
  size_t Bytes() const {
    return (JD.size() + Mag.size() + Err.size()) * sizeof(double) +
           (Marks.size() + LoadIndex.size()) * sizeof(int32_t);
  }
};

// What the search dialogs' guidance keeps between calls: which search
// "Initial parameters" was last shown for, and the speeds measured (trials
// times observations per second) per search, secondary mode, number of
// observations and threads.
struct SearchGuidanceMemory {
  SearchKind initialKind = SearchKind::LaflerKinman;
  std::map<std::tuple<SearchKind, int32_t, int32_t, int>, double> speeds;
};

struct AppContext {
  AppContext(AnalysisState& state, Platform& platform, std::vector<std::string> arguments = {})
      : s(state), p(platform), args(std::move(arguments)) {}

  AnalysisState& s;
  Platform& p;
  // The command line: args[0] is the executable, then up to four arguments.
  std::vector<std::string> args;

  // Threads computing a search's trials (--threads, KORVEL_THREADS or every
  // core, as the program was started; the results do not depend on it).
  int threads = 1;

  // The distinct peaks of the last search, for the peaks table; empty when
  // that search found none or did not run from its grid's start.
  PeakList peaks;

  // StartProgram acts once, at the first activation of the main window.
  bool formRunDone = false;

  // Folders where default.cfg was found missing and that was said already.
  std::set<std::string> foldersWithoutDefaults;

  // The JD edit texts the last load wrote and the exact dates behind them, so
  // that a reload with untouched edits is not narrowed by their rounding.
  std::string writtenJDmin, writtenJDmax;
  double writtenJDLow = 0, writtenJDHigh = 0;

  // The analysis file last opened or saved: its keys this version does not
  // know, and its peaks while the search they belong to is still the one shown,
  // go into the next save.
  std::shared_ptr<const AnalysisDocument> analysis;

  SearchGuidanceMemory guidance;

  // The last multi-frequency fit and the observations it was made of: its
  // residuals replace the magnitudes only while these are still the data.
  struct Fit {
    FrequencyAnalysis analysis;
    std::vector<double> jd, mag;
  };
  std::optional<Fit> fit;
  // What the fit dialog accepted, until the fit runs.
  std::optional<FrequencyAnalysisOptions> fitOptions;
  // The peaks table shows the fit's frequencies rather than a search's peaks.
  bool fitTableShown = false;

  MagnitudeCondition magnitudes;
  // Edit > Undo: the observations before each of the last changes, the
  // latest at the back. A load or an opened analysis empties it.
  std::deque<ObservationSnapshot> undo;
};

// The general error handler: runs one command and shows the text of any
// error it raises in a message box (running out of memory as "Out of
// memory"). The state stays as the command left it. True when the command
// ended without an error.
template <class F>
bool RunGuarded(Platform& p, F&& body) {
  try {
    body();
    return true;
  } catch (const std::bad_alloc&) {
    p.ShowMessage("Out of memory");
  } catch (const std::exception& e) {
    p.ShowMessage(e.what());
  }
  return false;
}

template <class F>
void RunGuarded(AppContext& a, F&& body) {
  RunGuarded(a.p, std::forward<F>(body));
}

inline void RunCommand(AppContext& a, void (*handler)(AppContext&)) {
  RunGuarded(a, [&] { handler(a); });
}

// Texts of messages shared by several commands.
inline constexpr const char* kDefaultsNotFound = "Default parameters file not found...";

}  // namespace korvel
