#include "gui/command_table.h"

#include <QAbstractButton>
#include <QAction>
#include <QLineEdit>
#include <QTableWidget>
#include <QTimer>
#include <QWidget>
#include <deque>
#include <stdexcept>
#include <string>

#include "app/analysis_commands.h"
#include "app/file_commands.h"
#include "app/fit_commands.h"
#include "app/lightcurve_commands.h"
#include "app/mouse_commands.h"
#include "app/run_control.h"
#include "app/save_commands.h"
#include "app/search_commands.h"
#include "app/search_dialogs.h"
#include "app/shell_commands.h"
#include "app/undo_commands.h"
#include "app/wave_commands.h"

namespace korvel::gui {

namespace {

// Every control that runs a command of its own. A later command fills in its
// entry.
struct FixedBinding {
  const char* object;
  void (*handler)(AppContext&);
};
constexpr FixedBinding kCommands[] = {
    // File menu.
    {"BfileopenClick", &OpenObservationsInWindow},
    {"Save1Click", &SaveParameters},
    {"SaveAs1Click", &SaveAllObservations},
    {"SaveCondItem", &SaveCondition},
    {"SaveSelClick", &SaveExtraction},
    {"Exit3Click", &ExitProgram},
    {"N2Click", &SaveStatistics},
    {"OnMLCfileClick", &OpenMeanCurveFile},
    {"OpenAnalysisItem", &OpenAnalysis},
    {"SaveAnalysisItem", &SaveAnalysis},
    {"ExportPictureItem", &ExportPicture},
    // Edit menu.
    {"UndoItem", &UndoLastChange},
    // Method menu.
    {"Lightcurveofthemainperiod1Click", &ShowPrimaryLightCurve},
    {"MenuLCSecClick", &ShowSecondaryLightCurve},
    {"Colr2PCurveClick", &ShowSecondaryPhaseColours},
    {"TimeOnClick", &ShowTimeView},
    {"LaflerKinman1Click", &StartLaflerKinmanSearch},
    {"Deeming1Click", &StartDeemingSearch},
    {"SecP1Click", &StartSecondaryPeriodSearch},
    {"MultiFrequencyFitItem", &StartMultiFrequencyFit},
    {"FitResidualsItem", &TakeFitResidualsAsData},
    {"Continue1Click", &ContinueSearch},
    // About the software and Help.
    {"Menu3Click", &ShowAbout},
    {"UserGuideItem", &OpenUserGuide},
    // Keys of their own.
    {"PrintAction", &PrintWindow},
    {"RepeatSearchAction", &RepeatLastSearch},
    {"EscapeAction", &StopSearchOrHideTables},
    // Panel.
    {"ChBZero", &ToggleReadZeros},
    {"ChBWindow", &ToggleWindowSpectrum},
    {"Butt4print", &PrintWindow},
    {"BStop", &StopSearch},
    {"BTable", &ShowResultsTable},
    {"Butt2wave", &ShowWaveDialogForCurve},
    {"BPrewhite", &PrewhitenObservations},
    {"SpToFile", &ToggleSpectrumToFile},
    {"Chaos", &ReshuffleMagnitudes},
    {"StatX", &ShowSignificanceLevels},
    {"Px2", &TogglePeriodTimesTwo},
    {"ButAllDiap", &UndoZoom},
    {"Magint", &ToggleMagnitudesIntensities},
    // Results tables and timer.
    {"StrGr", &FoldOnChosenRow},
    {"PeakGr", &FoldOnChosenPeak},
    {"Timer1", &RedrawRunningSpectrum},
    // Dialogs.
    {"TDialLK.HelpBtn", &ShowInitialParametersHelp},
    {"TDlgLC.HelpBtn", &ShowLightCurveElementsHelp},
    {"TDlgSecP.HelpBtn", &ShowSecondarySearchHelp},
    {"TMLCDlg.HelpBtn", &ShowMovingAverageHelp},
    {"TFitDlg.HelpBtn", &ShowMultiFrequencyFitHelp},
    {"TMLCDlg.Button1", &BrowseCollectingFile},
    {"TMLCDlg.Edit3", &CollectingFileNameChanged},
    {"TDialLK.Pmax", &UpdateSearchGuidance},
    {"TDialLK.Pmin", &UpdateSearchGuidance},
    {"TDialLK.PhaseShift", &UpdateSearchGuidance},
    {"TDialLK.Own1", &UpdateSearchGuidance},
    {"TDialLK.Own2", &UpdateSearchGuidance},
    {"TDlgSecP.Pmax", &UpdateSearchGuidance},
    {"TDlgSecP.Pmin", &UpdateSearchGuidance},
    {"TDlgSecP.PhaseShift", &UpdateSearchGuidance},
    {"TDlgSecP.Period", &UpdateSearchGuidance},
    {"TDlgSecP.NBins", &UpdateSearchGuidance},
    {"TDlgSecP.Mode1", &UpdateSearchGuidance},
    {"TDlgSecP.Mode2", &UpdateSearchGuidance},
};

}  // namespace

std::span<const CommandBinding> CommandTable() {
  static const std::vector<CommandBinding> table = [] {
    std::vector<CommandBinding> t;
    for (const FixedBinding& b : kCommands) t.push_back({b.object, b.handler});
    // The bindings keep pointers to the names, which live as long as they do.
    static std::deque<std::string> names;
    for (const SearchMethod* m : SearchesListedFromTable()) {
      names.push_back(MethodItemName(*m));
      t.push_back(
          {names.back().c_str(), [kind = m->kind](AppContext& a) { StartSearchBy(a, kind); }});
    }
    return t;
  }();
  return table;
}

std::vector<const SearchMethod*> SearchesListedFromTable() {
  std::vector<const SearchMethod*> listed;
  for (const SearchMethod& m : SearchMethods())
    if (m.kind != SearchKind::LaflerKinman && m.kind != SearchKind::Deeming &&
        m.kind != SearchKind::Secondary)
      listed.push_back(&m);
  return listed;
}

std::string MethodItemName(const SearchMethod& m) {
  return std::string("Search_") + m.name;
}

QObject* FindCommandObject(const char* object, QWidget& form, const QList<QWidget*>& dialogs) {
  const QString name = QString::fromLatin1(object);
  const qsizetype dot = name.indexOf('.');
  if (dot < 0) return form.findChild<QObject*>(name);
  const QString owner = name.left(dot);
  for (QWidget* d : dialogs)
    if (d->objectName() == owner) return d->findChild<QObject*>(name.mid(dot + 1));
  return nullptr;
}

bool CanRunCommands(const QObject* o) {
  return qobject_cast<const QAction*>(o) || qobject_cast<const QAbstractButton*>(o) ||
         qobject_cast<const QTableWidget*>(o) || qobject_cast<const QTimer*>(o) ||
         qobject_cast<const QLineEdit*>(o);
}

void WireCommands(AppContext& ctx, QWidget& form, const QList<QWidget*>& dialogs) {
  for (const CommandBinding& b : CommandTable()) {
    QObject* o = FindCommandObject(b.object, form, dialogs);
    if (!o || !CanRunCommands(o))
      throw std::logic_error(std::string("No control for the command of ") + b.object);
    if (!b.handler) continue;
    const auto run = [&ctx, h = b.handler] { RunGuarded(ctx, [&] { h(ctx); }); };
    if (auto* a = qobject_cast<QAction*>(o))
      QObject::connect(a, &QAction::triggered, a, run);
    else if (auto* button = qobject_cast<QAbstractButton*>(o))
      QObject::connect(button, &QAbstractButton::clicked, button, run);
    else if (auto* grid = qobject_cast<QTableWidget*>(o))
      QObject::connect(grid, &QTableWidget::cellClicked, grid, run);
    else if (auto* timer = qobject_cast<QTimer*>(o))
      QObject::connect(timer, &QTimer::timeout, timer, run);
    else if (auto* edit = qobject_cast<QLineEdit*>(o))
      QObject::connect(edit, &QLineEdit::textChanged, edit, run);
  }
}

}  // namespace korvel::gui
