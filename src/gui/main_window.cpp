#include "gui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDockWidget>
#include <QFrame>
#include <QHeaderView>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QStyle>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "gui/command_table.h"
#include "gui/plot_surface.h"
#include "search/peak_text.h"
#include "search/search_parameters.h"

namespace korvel::gui {

namespace {

constexpr int kGridColumns = 3;
constexpr int kGridDataRows = 20;
constexpr int kGridColumnWidth = 77;
constexpr int kGridRowHeight = 16;
constexpr int kGridWidth = 238;
constexpr int kGridHeight = 343;
constexpr int kPeakPeriodWidth = 150;
// The plot can shrink to this; the panel keeps room for all its controls.
constexpr int kPlotMinWidth = 160;
constexpr int kPlotMinHeight = 120;
constexpr int kPanelMinWidth = 721;
// Ctrl+E is also the end-of-line key of X11's text fields, where the panel's
// fields would take it from Export picture.
constexpr QKeyCombination kExportKey(Qt::CTRL, Qt::Key_E);

template <class W>
W* Place(W* widget, const char* name, int left, int top, int width, int height) {
  widget->setObjectName(name);
  widget->setGeometry(left, top, width, height);
  return widget;
}

QPushButton* Button(QWidget* panel, const char* name, const QString& caption, int left, int top,
                    int width, const QString& tip) {
  auto* b = Place(new QPushButton(caption, panel), name, left, top, width, 25);
  b->setAutoDefault(false);
  b->setFocusPolicy(Qt::TabFocus);
  b->setToolTip(tip);
  return b;
}

QLabel* Label(QWidget* panel, const QString& caption, int left, int top) {
  auto* l = new QLabel(caption, panel);
  l->move(left, top);
  l->adjustSize();
  return l;
}

// The look and behaviour both results tables share: the header row is the
// table's horizontal header, so that the user can drag the column borders
// there and a click on it never picks a row; whole rows are picked.
void StyleResultTable(QTableWidget& t) {
  t.verticalHeader()->hide();
  t.verticalHeader()->setMinimumSectionSize(1);
  t.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  t.verticalHeader()->setDefaultSectionSize(kGridRowHeight);
  QHeaderView* header = t.horizontalHeader();
  header->setMinimumSectionSize(1);
  header->setDefaultSectionSize(kGridColumnWidth);
  header->setSectionResizeMode(QHeaderView::Interactive);
  header->setFixedHeight(kGridRowHeight);
  header->setHighlightSections(false);
  header->setSectionsClickable(false);
  header->setStyleSheet(
      "QHeaderView::section { background-color: rgb(200, 83, 70); color: rgb(254, 254, 84);"
      " border: 0px; border-right: 1px solid rgb(120, 30, 28);"
      " border-bottom: 1px solid rgb(120, 30, 28); padding: 0px 2px; }");
  t.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  t.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  t.setSelectionBehavior(QAbstractItemView::SelectRows);
  t.setSelectionMode(QAbstractItemView::SingleSelection);
  t.setEditTriggers(QAbstractItemView::NoEditTriggers);
  t.setWordWrap(false);

  QPalette pal = t.palette();
  pal.setColor(QPalette::Base, QColor(141, 46, 44));
  pal.setColor(QPalette::Text, QColor(254, 254, 84));
  t.setPalette(pal);
}

}  // namespace

QTableWidgetItem* ResultItem() {
  auto* item = new QTableWidgetItem(QString());
  item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
  return item;
}

QFont WindowFont() {
  QFont f = QApplication::font();
  f.setPointSize(8);
  return f;
}

TForm1::TForm1(QWidget* parent) : QMainWindow(parent) {
  setObjectName("TForm1");
  setWindowTitle(tr("Korvel for Windows"));
  setFont(WindowFont());

  auto* client = new QWidget(this);
  client->setObjectName("ClientArea");
  QPalette pal = client->palette();
  pal.setColor(QPalette::Window, QColor(0, 128, 255));
  client->setPalette(pal);
  client->setAutoFillBackground(true);
  auto* column = new QVBoxLayout(client);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);

  // The plot takes whatever the window gains or loses; the panel and the
  // status line keep their height.
  PWin = new PlotSurface(client);
  PWin->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  PWin->setMinimumSize(kPlotMinWidth, kPlotMinHeight);
  column->addWidget(PWin, 1);

  Panel1 = new QFrame(client);
  Panel1->setObjectName("Panel1");
  Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
  Panel1->setFixedHeight(kPanelHeight);
  Panel1->setMinimumWidth(kPanelMinWidth);
  column->addWidget(Panel1);
  setCentralWidget(client);

  StatusBar1 = new QStatusBar(this);
  StatusBar1->setObjectName("StatusBar1");
  QPalette white = StatusBar1->palette();
  white.setColor(QPalette::Window, Qt::white);
  StatusBar1->setPalette(white);
  StatusBar1->setAutoFillBackground(true);
  setStatusBar(StatusBar1);
  SearchProgress = new QProgressBar(StatusBar1);
  SearchProgress->setObjectName("SearchProgress");
  SearchProgress->setRange(0, 100);
  SearchProgress->setMaximumWidth(160);
  // No taller than the status line's text, so that showing it never resizes
  // the plot surface in the middle of a search.
  SearchProgress->setMaximumHeight(StatusBar1->fontMetrics().height());
  StatusBar1->addPermanentWidget(SearchProgress);
  SearchProgress->hide();

  Timer1 = new QTimer(this);
  Timer1->setObjectName("Timer1");
  Timer1->setInterval(1000);

  BuildMenu();
  BuildShortcuts();
  BuildPanel();
  BuildTablePanel();
  BuildGrid();
  BuildPeakTable();

  // The outer size follows from a client area whose plot surface is
  // kPlotWidth x kPlotHeight: menu bar, plot, panel and status line.
  resize(kPlotWidth, menuBar()->sizeHint().height() + kPlotHeight + kPanelHeight +
                         StatusBar1->sizeHint().height());
  move(84, 107);
}

void TForm1::BuildMenu() {
  QMenuBar* bar = menuBar();
  auto item = [](QMenu* menu, const QString& caption, const char* handler, const QString& tip,
                 QKeySequence key = {}) {
    QAction* a = menu->addAction(caption);
    a->setObjectName(handler);
    a->setStatusTip(tip);
    a->setShortcut(key);
    return a;
  };

  FileMenu = bar->addMenu(tr("File"));
  FileMenu->setObjectName("File");
  item(FileMenu, tr("Open"), "BfileopenClick",
       tr("Read the observations of a file, column as set on the panel"),
       QKeySequence(Qt::CTRL | Qt::Key_O));
  item(FileMenu, tr("Save parameters"), "Save1Click",
       tr("Write the last file's folder and name and the light curve elements to default.cfg"));
  item(FileMenu, tr("Save as..."), "SaveAs1Click", tr("Write all observations to a file"));
  item(FileMenu, tr("Save condition"), "SaveCondItem",
       tr("Write the search's state to a condition file, to continue it later"));
  item(FileMenu, tr("Save extraction"), "SaveSelClick",
       tr("Write the observations marked with the mouse to a file"));
  item(FileMenu, tr("Exit"), "Exit3Click", tr("End the program without saving anything"));
  item(FileMenu, tr("Save statistics"), "N2Click",
       tr("Write the significance levels of the last Deeming search to stat.dat"));
  item(FileMenu, tr("Mean light curve file"), "OnMLCfileClick",
       tr("Show the mean light curves collected in a file"));
  FileMenu->addSeparator();
  item(FileMenu, tr("Open analysis..."), "OpenAnalysisItem",
       tr("Restore the data, settings and last search saved in an analysis file"));
  item(FileMenu, tr("Save analysis..."), "SaveAnalysisItem",
       tr("Save the data's name, the settings and the last search in an analysis file"),
       QKeySequence(Qt::CTRL | Qt::Key_S));
  item(FileMenu, tr("Export picture..."), "ExportPictureItem",
       tr("Write the plot as it shows to a PNG, SVG or PDF file"), QKeySequence(kExportKey));

  EditMenu = bar->addMenu(tr("Edit"));
  EditMenu->setObjectName("Edit");
  item(EditMenu, tr("Undo"), "UndoItem",
       tr("Bring back the observations as they were before the last deletion, Chaos or "
          "prewhitening"),
       QKeySequence(Qt::CTRL | Qt::Key_Z));

  MethodMenu = bar->addMenu(tr("Method"));
  MethodMenu->setObjectName("Method");
  LightCurveMenu = MethodMenu->addMenu(tr("Light curve"));
  LightCurveMenu->setObjectName("LightCurve");
  item(LightCurveMenu, tr("For the primary period"), "Lightcurveofthemainperiod1Click",
       tr("Fold the observations on a period and an initial date"));
  item(LightCurveMenu, tr("Light curves divided by the secondary period phase bins"),
       "MenuLCSecClick",
       tr("One light curve of the primary period per secondary period phase bin"));
  item(LightCurveMenu, tr("The secondary period phases are distinquished with different colors"),
       "Colr2PCurveClick", tr("The primary light curve, coloured by the secondary period's phase"));
  item(LightCurveMenu, tr("Dependent on time"), "TimeOnClick",
       tr("The magnitudes against the date"));
  item(MethodMenu, tr("Lafler - Kinman"), "LaflerKinman1Click",
       tr("Search a period by the Lafler-Kinman statistic (F5 repeats the last search)"));
  item(MethodMenu, tr("Deeming"), "Deeming1Click",
       tr("Search a period by the Deeming amplitude spectrum"));
  item(MethodMenu, tr("Secondary period"), "SecP1Click",
       tr("Search a second period over the phases of the primary one"));
  // The searches added to the method table since: their items come from it.
  for (const SearchMethod* m : SearchesListedFromTable()) {
    const QString title = QString::fromUtf8(m->title);
    item(MethodMenu, title, MethodItemName(*m).c_str(),
         (m->smallerIsBetter
              ? tr("Search a period by %1 (the smaller its %2, the likelier the period)")
              : tr("Search a period by %1 (the larger its %2, the likelier the period)"))
             .arg(title, QString::fromUtf8(m->statistic)));
  }
  item(MethodMenu, tr("Multi-frequency fit"), "MultiFrequencyFitItem",
       tr("Find several frequencies at once: the highest peak of the residuals, all fitted "
          "together, again until the next one falls below the S/N limit"));
  item(MethodMenu, tr("Residuals of the fit as data"), "FitResidualsItem",
       tr("Replace the magnitudes by the residuals of the last multi-frequency fit, to look "
          "for more in them (Ctrl+Z undoes)"));
  item(MethodMenu, tr("Continue"), "Continue1Click",
       tr("Go on with a search saved in a condition file"));
  // Nothing to search before a file is loaded.
  MethodMenu->menuAction()->setEnabled(false);

  AboutAction = bar->addAction(tr("About the software"));
  AboutAction->setObjectName("Menu3Click");
  AboutAction->setStatusTip(tr("Show what the program does, on the plot"));

  HelpMenu = bar->addMenu(tr("Help"));
  HelpMenu->setObjectName("Help");
  item(HelpMenu, tr("User guide"), "UserGuideItem",
       tr("Open the user guide (F1 in a dialog opens its own section)"), QKeySequence(Qt::Key_F1));
}

void TForm1::BuildShortcuts() {
  auto key = [this](const char* name, QKeySequence sequence) {
    auto* a = new QAction(this);
    a->setObjectName(name);
    a->setShortcut(sequence);
    addAction(a);
    return a;
  };
  PrintAction = key("PrintAction", QKeySequence(Qt::CTRL | Qt::Key_P));
  RepeatSearchAction = key("RepeatSearchAction", QKeySequence(Qt::Key_F5));
  EscapeAction = key("EscapeAction", QKeySequence(Qt::Key_Escape));
}

void TForm1::BuildPanel() {
  QWidget* p = Panel1;

  SpinEdit1 = Place(new QSpinBox(p), "SpinEdit1", 8, 9, 41, 21);
  SpinEdit1->setRange(1, 20);
  SpinEdit1->setValue(1);
  SpinEdit1->setToolTip(tr("Which number after the date Open reads as the magnitude"));
  LabelColumn = Label(p, tr("Column"), 53, 12);

  JDmin = Place(new QLineEdit(p), "JDmin", 96, 10, 81, 21);
  JDmin->setToolTip(tr("Open reads no observation dated before this (empty: from the first)"));
  LabelJDmin = Label(p, tr("JDmin"), 181, 13);
  JDmax = Place(new QLineEdit(p), "JDmax", 96, 34, 81, 21);
  JDmax->setToolTip(tr("Open reads no observation dated after this (empty: to the last)"));
  LabelJDmax = Label(p, tr("JDmax"), 181, 37);

  ChBZero = Place(new QCheckBox(tr("Read zeros"), p), "ChBZero", 8, 40, 85, 17);
  ChBZero->setToolTip(tr("Read magnitudes of 0 as observations instead of skipping them"));
  ChBWindow = Place(new QCheckBox(tr("Window spectrum"), p), "ChBWindow", 224, 40, 120, 17);
  ChBWindow->setToolTip(
      tr("Deeming searches the spectrum of the dates alone, to show the aliases they make"));

  Butt4print = Button(p, "Butt4print", tr("Print"), 224, 2, 45,
                      tr("Save the window as a BMP picture and open it in the viewer (Ctrl+P)"));
  BStop = Button(p, "BStop", tr("Stop"), 272, 2, 89,
                 tr("Stop the running search, keeping the best periods so far (Esc)"));
  QFont bold("Arial", WindowFont().pointSize(), QFont::Bold);
  BStop->setFont(bold);
  QPalette red = BStop->palette();
  red.setColor(QPalette::ButtonText, QColor(255, 0, 0));
  BStop->setPalette(red);
  BTable = Button(p, "BTable", tr("Table"), 368, 2, 57,
                  tr("The 20 best trials; pressed again, the distinct peaks; once more, closed "
                     "(Esc closes them too)"));
  Butt2wave = Button(p, "Butt2wave", tr("Wave"), 432, 2, 57,
                     tr("Smooth the light curve shown by a moving average"));
  BPrewhite = Button(p, "BPrewhite", tr("Prewhitening"), 496, 2, 89,
                     tr("Subtract the mean light curve from the observations, to search what "
                        "remains (Ctrl+Z undoes)"));
  BPrewhite->hide();
  SpToFile = Button(p, "SpToFile", tr("Spectrum to file"), 592, 2, 121,
                    tr("The next Deeming search also writes its spectrum to the file named below"));
  SpFN =
      Place(new QLineEdit(QString::fromLatin1(kDefaultSpectrumFile), p), "SpFN", 592, 32, 121, 21);
  SpFN->setToolTip(tr("The file Spectrum to file writes"));

  Chaos = Button(p, "Chaos", tr("Chaos"), 344, 30, 45,
                 tr("Shuffle the magnitudes over the dates, to see which peaks noise alone gives "
                    "(Ctrl+Z undoes)"));
  StatX = Button(p, "StatX", tr("Stat"), 392, 30, 37,
                 tr("Draw the significance levels saved in stat.dat on the Deeming spectrum"));
  Px2 = Button(p, "Px2", tr("Px2"), 432, 30, 57,
               tr("Fold the light curve on twice the period; pressed again, back"));
  ButAllDiap = Button(p, "ButAllDiap", tr("All"), 496, 30, 37,
                      tr("Show the whole range again, undoing the zoom"));
  ButAllDiap->hide();
  Magint = Button(p, "Magint", tr("Mag/Int"), 536, 30, 53,
                  tr("Switch the plots between magnitudes and intensities"));
  for (QWidget* field : {static_cast<QWidget*>(SpinEdit1), static_cast<QWidget*>(JDmin),
                         static_cast<QWidget*>(JDmax), static_cast<QWidget*>(SpFN)})
    field->installEventFilter(this);
}

void TForm1::BuildTablePanel() {
  TablePanel = new QDockWidget(this);
  TablePanel->setObjectName("TablePanel");
  TablePanel->setFeatures(QDockWidget::DockWidgetClosable);
  TablePanel->setAllowedAreas(Qt::RightDockWidgetArea);
  auto* holder = new QWidget(TablePanel);
  holder->setObjectName("TableHolder");
  auto* column = new QVBoxLayout(holder);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  TablePanel->setWidget(holder);
  addDockWidget(Qt::RightDockWidgetArea, TablePanel);
  TablePanel->hide();
  // The close button hides the tables, as Esc does.
  TablePanel->installEventFilter(this);
}

void TForm1::BuildGrid() {
  QWidget* holder = TablePanel->widget();
  StrGr = new QTableWidget(kGridDataRows, kGridColumns, holder);
  StrGr->setObjectName("StrGr");
  StrGr->setFixedSize(kGridWidth, kGridHeight);
  StyleResultTable(*StrGr);
  for (int c = 0; c < kGridColumns; ++c) {
    StrGr->setColumnWidth(c, kGridColumnWidth);
    StrGr->setHorizontalHeaderItem(c, new QTableWidgetItem(QString()));
    for (int r = 0; r < kGridDataRows; ++r) StrGr->setItem(r, c, ResultItem());
  }
  // As in a grid with a fixed header row, the first trial row starts selected.
  StrGr->setCurrentCell(0, 0);
  StrGr->hide();
  holder->layout()->addWidget(StrGr);
}

void TForm1::BuildPeakTable() {
  auto* holder = TablePanel->widget();
  PeakGr = new QTableWidget(0, kPeakColumns, holder);
  PeakGr->setObjectName("PeakGr");
  StyleResultTable(*PeakGr);
  // Many peaks in a short window: the rows scroll rather than being cut.
  PeakGr->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  // The room kept for that scroll bar goes to the last column meanwhile.
  PeakGr->horizontalHeader()->setStretchLastSection(true);
  PeakGr->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
  for (int c = 0; c < kPeakColumns; ++c)
    PeakGr->setHorizontalHeaderItem(c, new QTableWidgetItem(QString()));
  PeakGr->hide();
  auto* column = static_cast<QVBoxLayout*>(holder->layout());
  column->addWidget(PeakGr);
  column->addStretch(1);
}

void TForm1::FitPeakTable() {
  // Widths from the texts, not from the columns as laid out: the last one
  // stretches over the scroll bar's room.
  int width = 2 * PeakGr->frameWidth() +
              PeakGr->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, PeakGr);
  for (int c = 0; c < PeakGr->columnCount(); ++c) {
    int column = std::max(static_cast<QAbstractItemView*>(PeakGr)->sizeHintForColumn(c),
                          PeakGr->horizontalHeader()->sectionSizeHint(c));
    // A peak without a fit says why in its period cell: the text is cut, and
    // its tip shows it whole.
    if (c == 0 && !ShowsFrequencies()) column = std::min(column, kPeakPeriodWidth);
    PeakGr->setColumnWidth(c, column);
    width += column;
  }
  PeakGr->setFixedWidth(width);
  PeakGr->setMaximumHeight(2 * PeakGr->frameWidth() + kGridRowHeight * (PeakGr->rowCount() + 1));
  if (!PeakGr->isHidden()) SyncTablePanel();
}

bool TForm1::ShowsFrequencies() const {
  return PeakGr->columnCount() != kPeakColumns;
}

void TForm1::ShowResultTable(QTableWidget* table, bool shown) {
  table->setVisible(shown);
  SyncTablePanel();
}

void TForm1::SyncTablePanel() {
  QTableWidget* table = !StrGr->isHidden() ? StrGr : !PeakGr->isHidden() ? PeakGr : nullptr;
  panelWidth_ = 0;
  if (table) {
    TablePanel->setWindowTitle(table == StrGr       ? tr("Best trials")
                               : ShowsFrequencies() ? tr("Frequencies of the fit")
                                                    : tr("Distinct peaks"));
    TablePanel->setFixedWidth(table->width());
    panelWidth_ =
        table->width() + style()->pixelMetric(QStyle::PM_DockWidgetSeparatorExtent, nullptr, this);
  }
  // Once per command: switching tables hides one before showing the other,
  // and a window system applies a resize later than it is asked for. The
  // width without the panel is taken before this command changed anything,
  // and before the window grows by itself to hold the panel.
  if (!fitPending_) {
    fitPending_ = true;
    widthWithoutPanel_ = width() - widenedBy_;
    QTimer::singleShot(0, this, [this] {
      fitPending_ = false;
      // Also when the panel came and went: the window may have grown for it.
      // The layout first learns that the panel is gone, or its stale minimum
      // width would hold the window at the panel's width.
      layout()->activate();
      if (!isMaximized() && !isFullScreen()) resize(widthWithoutPanel_ + panelWidth_, height());
      widenedBy_ = panelWidth_;
    });
  }
  TablePanel->setVisible(table != nullptr);
}

void TForm1::ShowStatus(const QString& text) {
  status_ = text;
  tipShown_ = false;
  StatusBar1->showMessage(text);
}

bool TForm1::event(QEvent* e) {
  // A hovered menu item shows its tip; leaving it sends an empty tip, which
  // must bring back the status line's text ("Done...", a search's summary)
  // rather than wipe it.
  if (e->type() == QEvent::StatusTip) {
    const QString tip = static_cast<QStatusTipEvent*>(e)->tip();
    if (!tip.isEmpty()) {
      tipShown_ = true;
      StatusBar1->showMessage(tip);
    } else if (tipShown_) {
      tipShown_ = false;
      StatusBar1->showMessage(status_);
    }
    return true;
  }
  // The first showing counts as an activation too: without a window manager
  // (a bare X server, a kiosk) the window may never be made active.
  const bool firstShow = e->type() == QEvent::Show && !shown_;
  if (firstShow) shown_ = true;
  if (e->type() == QEvent::WindowActivate || firstShow)
    QTimer::singleShot(0, this, [this] { emit activated(); });
  return QMainWindow::event(e);
}

bool TForm1::eventFilter(QObject* watched, QEvent* e) {
  // Left unaccepted, the key goes on to the window's shortcut.
  if (e->type() == QEvent::ShortcutOverride) {
    auto* key = static_cast<QKeyEvent*>(e);
    // Ctrl+Z undoes a field's typing while it has some, else the data's
    // last change: the Column field has the focus from the start.
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (!edit) edit = watched->findChild<QLineEdit*>();
    const bool undoForWindow = key->matches(QKeySequence::Undo) && edit && !edit->isUndoAvailable();
    if (key->keyCombination() == kExportKey || undoForWindow) {
      e->ignore();
      return true;
    }
  }
  if (watched == TablePanel && e->type() == QEvent::Close) {
    StrGr->hide();
    PeakGr->hide();
    SyncTablePanel();
  }
  return QMainWindow::eventFilter(watched, e);
}

void TForm1::closeEvent(QCloseEvent* e) {
  emit closing();
  QMainWindow::closeEvent(e);
}

}  // namespace korvel::gui
