#include "batch/plot_command.h"

#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "batch/batch_search.h"
#include "batch/file_messages.h"
#include "batch/load_options.h"
#include "core/error.h"
#include "io/file_paths.h"
#include "io/text_reader.h"
#include "lightcurve/document_light_curve.h"
#include "lightcurve/mean_curve_file.h"
#include "lightcurve/moving_average.h"
#include "lightcurve/phase_views.h"
#include "lightcurve/stat_file.h"
#include "lightcurve/wave_parameters.h"
#include "plot/search_views.h"
#include "render/picture_file.h"
#include "search/document_search.h"

namespace korvel::batch {

namespace {

// Pictures are drawn by the window's Qt canvas: a build without the window
// (the sanitizer build) has the command, but can only say why it draws
// nothing.
#ifdef KORVEL_HAS_RENDERER
constexpr bool kHasRenderer = true;
#else
constexpr bool kHasRenderer = false;
#endif
constexpr const char* kNoRenderer =
    "This build of korvel-batch has no picture renderer (it was built without Qt)...";

struct PlotArgs {
  LoadArgs load;
  std::string viewText;
  char view = 't';
  std::string out;
  int width = 734, height = 432;
  // The light-curve elements, as the "Light curve elements" dialog stores
  // them (and, for the secondary-period search, as its dialog does).
  double period = 0, epoch = 0, p2 = 0, extremumDate = 0;
  int bins = kDefaultElementBins;
  bool intensity = false;
  std::string model;
  // The mean light curve of view m, as "Moving average method calculation".
  int points = kDefaultMeanPoints;
  double binLength = kDefaultBinLength;
  // A search run first, as korvel-batch search runs it.
  std::optional<SearchKind> search;
  SearchKind searchKind = SearchKind::LaflerKinman;
  SearchParameters params;
  MethodParameters methods;  // of mhaov, pdm (with --bins) and ce
  bool window = false;
  std::string spectrumFile;
  int64_t maxTrials = kDefaultMaxTrials;
  int threads = 1;

  CLI::Option* periodOption = nullptr;
  CLI::Option* p2Option = nullptr;
  CLI::Option *epochOption = nullptr, *extremumDateOption = nullptr, *binsOption = nullptr;
  // Given on the command line or taken from --analysis.
  bool periodGiven = false, p2Given = false;
  CLI::Option* pmaxOption = nullptr;
  CLI::Option* spectrumFileOption = nullptr;
  std::vector<CLI::Option*> searchOnly, deemingOnly, secondaryOnly, meanCurveOnly;
  std::vector<MethodOption> methodOnly;  // --harmonics, --covers, --phase-bins, --mag-bins
};

// The views that show no search: time, secondary-phase colours, mean light
// curve and About. Every search's view letter comes from the method table.
constexpr char kOtherViews[] = {'t', 'n', 'm', 'h'};

std::vector<std::string> ViewLetters() {
  std::vector<std::string> letters;
  for (const char v : kOtherViews) letters.emplace_back(1, v);
  for (const SearchMethod& m : SearchMethods()) letters.emplace_back(1, m.view);
  return letters;
}

// "l (lk), d (deeming), ...": the search views for --view's help.
std::string SearchViewChoices() {
  std::string choices;
  for (const SearchMethod& m : SearchMethods())
    choices += (choices.empty() ? "" : ", ") + std::string(1, m.view) + " (" + m.name + ")";
  return choices;
}

// Without a search, a search's view shows the light curve folded on the
// period: the phase curve, or the secondary period's bins.
bool NeedsPeriod(char view) {
  return IsSpectrumView(view) || view == 'n' || view == 'm';
}
bool NeedsSecondary(char view) {
  return IsBinsView(view) || view == 'n';
}

bool IsPdm(const std::optional<SearchKind>& search) {
  return search && std::string_view(MethodOf(*search).name) == kPdmMethod;
}

// What the command line asks for that cannot be drawn, checked before
// anything is read: the message, or nothing.
std::optional<std::string> ArgumentProblem(const PlotArgs& a) {
  if (auto problem = render::PictureProblem(a.out, a.width, a.height)) return problem;
  if (auto problem = OutputIsInput(a.out, {a.load.file, a.load.analysis, a.model})) return problem;
  if (a.spectrumFileOption->count() > 0)
    if (auto problem =
            OutputIsInput(a.spectrumFile, {a.load.file, a.load.analysis, a.model, a.out}))
      return problem;
  if (!a.search && AnyGiven(a.searchOnly))
    return "--pmax, --pmin, --phase-shift, --max-trials, --window, --spectrum-file and --mode "
           "belong to --search...";
  if (!(a.search && MethodOf(*a.search).deeming) && AnyGiven(a.deemingOnly))
    return "--window and --spectrum-file belong to --search deeming...";
  if (!(a.search && MethodOf(*a.search).secondary) && AnyGiven(a.secondaryOnly))
    return "--mode belongs to --search secondary...";
  if (auto problem = MisplacedMethodOption(a.methodOnly, a.search ? &MethodOf(*a.search) : nullptr,
                                           "--search"))
    return problem;
  if (a.view != 'm' && AnyGiven(a.meanCurveOnly))
    return "--points and --bin-length belong to --view m...";
  if (a.search) {
    // The search leaves its own view showing its spectrum.
    const char letter = ViewLetter(*a.search);
    if (a.view != letter)
      return std::string("A search shows its spectrum in view ") + letter + ": --view " + letter +
             "...";
    return std::nullopt;
  }
  // The dialogs' own refusals, with their messages.
  if (NeedsPeriod(a.view) && !a.periodGiven)
    return std::string("View ") + a.view + " needs the period: --period P";
  if (NeedsSecondary(a.view) && !a.p2Given)
    return std::string("View ") + a.view + " needs the secondary period: --p2 P2";
  // The dialogs' own refusals, applied to a scratch state.
  AnalysisState scratch;
  if (NeedsPeriod(a.view)) {
    if (const auto refusal =
            ApplyLightCurveElements(scratch, NeedsSecondary(a.view) ? 2 : 1,
                                    {a.period, a.epoch, a.p2, a.extremumDate, a.bins}))
      return refusal->message;
  }
  if (a.view == 'm') {
    WaveParameters wave;
    wave.points = a.points;
    wave.binLength = a.binLength;
    if (const auto refusal = ApplyMeanCurveParameters(scratch, wave)) return refusal->message;
  }
  return std::nullopt;
}

// The search as korvel-batch search runs it; View and DataReady are then as
// after a search in the window. The exit code of a refusal, or nothing.
std::optional<int> RunSearchFirst(AnalysisState& s, const PlotArgs& a) {
  BatchSearchRequest request;
  request.kind = *a.search;
  request.params = a.params;
  request.params.period = a.period;
  request.params.epoch = a.epoch;
  request.params.extremumDate = a.extremumDate;
  request.params.bins = a.bins;
  request.pmaxGiven = a.pmaxOption->count() > 0;
  request.periodGiven = a.periodGiven;
  request.window = a.window;
  request.methods = a.methods;
  request.analysis = a.load.analysis;
  if (a.spectrumFileOption->count() > 0) request.spectrumFile = a.spectrumFile;
  request.maxTrials = a.maxTrials;
  request.threads = a.threads;
  return RunBatchSearch(s, request, std::cerr).exitCode;
}

// The state a light-curve view is drawn from: the elements as the "Light
// curve elements" dialog stores them, and for view m the mean curve as Wave
// computes it.
void SetUpView(AnalysisState& s, const PlotArgs& a) {
  if (a.periodGiven) s.Period = a.period;
  s.Epoch = a.epoch;
  if (a.p2Given) s.P2 = a.p2;
  s.ExtrDate = a.extremumDate;
  s.NBins = a.bins;
  if (a.view == 'm') {
    s.MeanPoints = a.points;
    s.BinLength = a.binLength;
    ComputePhases(s);
    ComputeMeanCurve(s);
    s.WaveState = 'd';
  }
  s.View = a.view;
  s.DataReady = 'y';
}

std::optional<std::string> Render(AnalysisState& s, const PlotArgs& a) {
#ifdef KORVEL_HAS_RENDERER
  return render::RenderPicture(s, a.out, a.width, a.height);
#else
  (void)s;
  (void)a;
  return kNoRenderer;
#endif
}

// The elements and the mean curve's parameters of --analysis where the
// command line gives none; the file's own refusal is LoadForBatch's to report.
void TakeAnalysisElements(PlotArgs& a) {
  const auto read = ReadAnalysisFile(a.load.analysis);
  const auto* d = std::get_if<AnalysisDocument>(&read);
  if (!d) return;
  const AnalysisElements& e = d->elements;
  const auto notGiven = [](const CLI::Option* o) { return o->count() == 0; };
  if (!a.periodGiven && e.period != 0) {
    a.period = e.period;
    a.periodGiven = true;
  }
  if (!a.p2Given && e.secondaryPeriod != 0) {
    a.p2 = e.secondaryPeriod;
    a.p2Given = true;
  }
  if (notGiven(a.epochOption)) a.epoch = e.epoch;
  if (notGiven(a.extremumDateOption)) a.extremumDate = e.extremumDate;
  if (notGiven(a.binsOption)) a.bins = e.bins;
  if (notGiven(a.meanCurveOnly[0]) && d->meanCurve.points > 1) a.points = d->meanCurve.points;
  if (notGiven(a.meanCurveOnly[1]) && d->meanCurve.binLength > 0)
    a.binLength = d->meanCurve.binLength;
}

int RunPlot(const PlotArgs& given) {
  PlotArgs a = given;
  a.periodGiven = a.periodOption->count() > 0;
  a.p2Given = a.p2Option->count() > 0;
  if (!a.load.analysis.empty()) TakeAnalysisElements(a);
  auto problem = ArgumentProblem(a);
  // --bins given to pdm is its number of phase bins, with its own range.
  if (!problem && IsPdm(a.search) && a.binsOption->count() > 0)
    problem = TakePdmBins(a.bins, a.methods);
  if (problem) {
    std::cerr << *problem << '\n';
    return kExitRefused;
  }
  if (!kHasRenderer) {
    std::cerr << kNoRenderer << '\n';
    return kExitRefused;
  }
  AnalysisState s;
  const LoadOutcome outcome = LoadForBatch(s, a.load, std::cerr);
  if (!outcome.loaded) return outcome.exitCode;
  // The observation file an analysis names is known once it is read.
  if (const auto problem = OutputIsInput(a.out, {s.DataFileName})) {
    std::cerr << *problem << '\n';
    return kExitRefused;
  }
  // An analysis shown in intensities is restored so.
  if (a.intensity && s.MagMode) ToggleMagMode(s);
  if (!a.model.empty()) {
    if (!FileExists(a.model)) {
      std::cerr << "File " << a.model << " does not exist.\n";
      return kExitFileMissing;
    }
    try {
      ReadMeanCurveFile(s, a.model);
    } catch (const KorvelError& e) {
      std::cerr << FileMessage(a.model, e) << '\n';
      return kExitReadError;
    }
  }
  if (a.search) {
    if (const auto refused = RunSearchFirst(s, a)) return *refused;
  } else {
    SetUpView(s, a);
  }
  if (const auto failure = Render(s, a)) {
    std::cerr << *failure << '\n';
    return kExitWriteError;
  }
  return outcome.exitCode;
}

}  // namespace

Command AddPlotCommand(CLI::App& parent) {
  auto args = std::make_shared<PlotArgs>();
  PlotArgs& a = *args;
  CLI::App* app = parent.add_subcommand(
      "plot",
      "Draw the picture the window's plot surface shows for a view of the observations and "
      "write it as PNG, BMP, SVG or PDF (by the extension of OUT)");
  AddLoadOptions(*app, a.load);
  app->add_option("--view", a.viewText,
                  "t (time), n (secondary-phase colours), m (mean light curve), h (About); the "
                  "views of the searches " +
                      SearchViewChoices() +
                      " show the phase curve (s: the secondary-phase bins), or after --search "
                      "its spectrum")
      ->required()
      ->check(CLI::IsMember(ViewLetters()));
  app->add_option("-o,--output", a.out, "Picture file written: .png, .bmp, .svg or .pdf")
      ->required();
  app->add_option("--width", a.width, "Width of the plot surface, pixels")->capture_default_str();
  app->add_option("--height", a.height, "Height of the plot surface, pixels")
      ->capture_default_str();
  a.periodOption = app->add_option("--period", a.period, "Period, days");
  a.epochOption =
      app->add_option("--epoch", a.epoch, "Initial date (phase 0), JD")->capture_default_str();
  a.p2Option = app->add_option("--p2", a.p2, "Secondary period, days (views s and n)");
  a.extremumDateOption = app->add_option("--extremum-date", a.extremumDate,
                                         "Extremum moment date of the secondary period")
                             ->capture_default_str();
  a.binsOption =
      app->add_option("--bins", a.bins,
                      "Number of bins of the secondary phase (default " + std::to_string(a.bins) +
                          "); with --search " + PdmBinsHelp(a.methods));
  app->add_flag("--intensity", a.intensity, "Intensities up (\"Flux\") instead of magnitudes down");
  app->add_option("--model", a.model, "Collecting file of mean light curves: the model on view t");
  a.meanCurveOnly = {
      app->add_option("--points", a.points, "View m: number of average points, 1 < N < 100")
          ->capture_default_str(),
      app->add_option("--bin-length", a.binLength,
                      "View m: length of the average bin, 0 < L <= 0.25")
          ->capture_default_str(),
  };
  CLI::Option* search =
      AddMethodOption(*app, "--search", a.searchKind,
                      "Run a search first (" + MethodNames() + ") and draw its spectrum");
  SearchParameters& p = a.params;
  a.pmaxOption = app->add_option("--pmax", p.pmax,
                                 "Search: maximum trial period (default 100; secondary 1000)");
  a.deemingOnly = {
      app->add_flag("--window", a.window, "Deeming: compute the spectral window"),
      a.spectrumFileOption = app->add_option("--spectrum-file", a.spectrumFile,
                                             "Deeming: write every trial to this file"),
  };
  a.secondaryOnly = {
      app->add_option("--mode", p.mode,
                      "Secondary: 1 divides the secondary phases by bins, 2 the primary phases")
          ->check(CLI::IsMember({1, 2}))
          ->capture_default_str(),
  };
  a.searchOnly = {
      a.pmaxOption,
      app->add_option("--pmin", p.pmin, "Search: minimum trial period")
          ->default_str(DefaultText(p.pmin)),
      app->add_option("--phase-shift", p.phaseShift,
                      "Search: maximum phase shift between the first and last observation from "
                      "one trial to the next")
          ->default_str(DefaultText(p.phaseShift)),
      AddMaxTrialsOption(*app, a.maxTrials),
      AddThreadsOption(*app, a.threads),
  };
  AddMethodParameterOptions(*app, a.methods, a.methodOnly);
  a.searchOnly.insert(a.searchOnly.end(), a.deemingOnly.begin(), a.deemingOnly.end());
  a.searchOnly.insert(a.searchOnly.end(), a.secondaryOnly.begin(), a.secondaryOnly.end());
  return {app, [args, search] {
            args->view = args->viewText.at(0);
            if (search->count() > 0) args->search = args->searchKind;
            return RunPlot(*args);
          }};
}

}  // namespace korvel::batch
